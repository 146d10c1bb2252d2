// kestrune as master against libmodbus's RTU server as the slave.
#include "kestrunefixture.h"
#include "modbusslave.h"

namespace ktest {
namespace {

class WithLibmodbusSlave : public KestrunePort {
protected:
    void SetUp() override
    {
        KestrunePort::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_slave = std::make_unique<ModbusSlave>(master(), 1);
        ASSERT_TRUE(m_slave->ok());
        ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
        // As the program runs the line: its rate, two stop bits, its time-outs.
        ASSERT_EQ(set_baud(56000, 2), 1u);
        ASSERT_EQ(set_timeout(10000, 200, 1, 5000, 1000), 1u);
    }

    void TearDown() override
    {
        close_comm();
        m_slave.reset();
    }

    std::unique_ptr<ModbusSlave> m_slave;
};

TEST_F(WithLibmodbusSlave, ReadsAFortyOneRegisterRecord)
{
    for (int k = 0; k < 41; ++k) {
        m_slave->setRegister(17500 + k, static_cast<uint16_t>(0xF00D + 977 * k));
    }
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(modbus_rd(1, 17500, 41), KESTRUNE_RD_OK) << "round " << round;
        for (uint32_t k = 0; k < 41; ++k) {
            EXPECT_EQ(modbus_var(k), static_cast<uint16_t>(0xF00D + 977 * k)) << k;
        }
    }
}

TEST_F(WithLibmodbusSlave, WritesSelectRegisters)
{
    EXPECT_EQ(modbus_wr(1, 19045, 10379), 1u);
    EXPECT_EQ(modbus_wr(1, 19096, 77), 1u);
    EXPECT_EQ(m_slave->registerAt(19045), 10379);
    EXPECT_EQ(m_slave->registerAt(19096), 77);
    m_slave->setRegister(17161, 4242);
    ASSERT_EQ(modbus_rd(1, 17161, 1), KESTRUNE_RD_OK);
    EXPECT_EQ(modbus_var(0), 4242u);
}

TEST_F(WithLibmodbusSlave, OtherAddressGetsNoAnswerAndExceptionsAreNotSuccess)
{
    set_timeout(10000, 50, 1, 5000, 1000);
    EXPECT_EQ(modbus_rd(2, 17500, 41), 0u);
    EXPECT_EQ(modbus_wr(2, 19045, 1), 0u);
    // Outside the served block libmodbus answers "illegal data address".
    EXPECT_EQ(modbus_rd(1, 100, 2), 5u);
    EXPECT_EQ(modbus_wr(1, 100, 1), 0u);
}

} // namespace
} // namespace ktest
