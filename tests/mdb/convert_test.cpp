#include "mdb/convert.h"
#include "mdb/errors.h"
#include "mdb/format.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace mdb;

namespace {

ColumnDef column(uint8_t type, uint16_t length)
{
    ColumnDef c;
    c.type = type;
    c.length = length;
    c.flags = type == jet4::kTypeText ? 0x02 : 0x03;
    return c;
}

const ColumnDef kText = column(jet4::kTypeText, 100);
const ColumnDef kInteger = column(jet4::kTypeInteger, 2);
const ColumnDef kLong = column(jet4::kTypeLong, 4);
const ColumnDef kDouble = column(jet4::kTypeDouble, 8);

int errorOf(const ColumnDef& c, const Value& v)
{
    try {
        toCell(c, v);
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

struct IntegerCase {
    Value given;
    int64_t stored;
};

class IntegerColumn : public ::testing::TestWithParam<IntegerCase> {};

} // namespace

TEST_P(IntegerColumn, ConvertsAsJetDoes)
{
    EXPECT_EQ(std::get<int64_t>(toCell(kInteger, GetParam().given)), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Values,
                         IntegerColumn,
                         ::testing::Values(IntegerCase{int16_t{255}, 255},
                                           IntegerCase{int32_t{-32768}, -32768},
                                           IntegerCase{std::string("123"), 123},
                                           IntegerCase{std::string("  -7 "), -7},
                                           IntegerCase{std::string("1e3"), 1000},
                                           IntegerCase{2.5, 2}, // half to even
                                           IntegerCase{3.5, 4},
                                           IntegerCase{-2.5, -2},
                                           IntegerCase{2.51, 3},
                                           IntegerCase{std::string("0.5"), 0},
                                           IntegerCase{std::string("1.5"), 2}));

TEST(Conversion, FailuresCarryJetNumbers)
{
    EXPECT_EQ(errorOf(kLong, std::string("abc")), 3421);
    EXPECT_EQ(errorOf(kLong, std::string("")), 3421);
    EXPECT_EQ(errorOf(kLong, std::string("12abc")), 3421);
    EXPECT_EQ(errorOf(kDouble, std::string("1,5")), 3421);
    EXPECT_EQ(errorOf(kDouble, std::string("e5")), 3421);
    EXPECT_EQ(errorOf(kInteger, int32_t{40000}), 3349);
    EXPECT_EQ(errorOf(kInteger, 32767.5), 3349); // rounds to 32768
    EXPECT_EQ(errorOf(kInteger, std::string("-32769")), 3349);
    EXPECT_EQ(errorOf(kLong, 2147483648.0), 3349);
    EXPECT_EQ(errorOf(kLong, std::nan("")), 3421);
    EXPECT_EQ(errorOf(kDouble, std::string("1e400")), 3349);
    EXPECT_EQ(errorOf(kText, std::string(51, 'x')), 3163);
    EXPECT_EQ(errorOf(kText, std::string("\xC3")), 3421);
    EXPECT_EQ(errorOf(kLong, int32_t{INT32_MIN}), 0);
}

TEST(Conversion, TextColumnsTakeNumbersAsJetPrintsThem)
{
    EXPECT_EQ(std::get<std::u16string>(toCell(kText, int16_t{-5})), u"-5");
    EXPECT_EQ(std::get<std::u16string>(toCell(kText, int32_t{65535})), u"65535");
    EXPECT_EQ(std::get<std::u16string>(toCell(kText, 12.34)), u"12.34");
    EXPECT_EQ(std::get<std::u16string>(toCell(kText, 0.1)), u"0.1");
    EXPECT_EQ(std::get<std::u16string>(toCell(kText, std::string("| Tempo| Rel\xC3\xA9s"))),
              u"| Tempo| Rel\u00e9s");
    // Fifty characters fit Text(50) even when they need two UTF-8 bytes each.
    std::string fifty;
    for (int i = 0; i < 50; ++i)
        fifty += "\xC3\xA7";
    EXPECT_EQ(errorOf(kText, fifty), 0);
}

TEST(Conversion, DoublesAndNulls)
{
    EXPECT_DOUBLE_EQ(std::get<double>(toCell(kDouble, std::string("655.35"))), 655.35);
    EXPECT_DOUBLE_EQ(std::get<double>(toCell(kDouble, int32_t{65535})), 65535.0);
    EXPECT_DOUBLE_EQ(std::get<double>(toCell(kDouble, std::string(".5"))), 0.5);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(toCell(kLong, Value{})));
    EXPECT_EQ(std::get<int16_t>(toValue(kInteger, Cell{int64_t{-1}})), -1);
    EXPECT_EQ(std::get<int32_t>(toValue(kLong, Cell{int64_t{70000}})), 70000);
    EXPECT_EQ(std::get<std::string>(toValue(kText, Cell{std::u16string(u"Rel\u00e9s")})),
              "Rel\xC3\xA9s");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(toValue(kText, Cell{})));
}
