// A library or export that cannot be bound ends the operation with a message
// box; nothing crashes and the window stays usable.
#include "connection/connectcontroller.h"
#include "connection/dynamickestrune.h"
#include "connection/pollcontroller.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "recordingprompts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Binding, MissingLibraryThrowsBindErrorNamingIt)
{
    DynamicKestrune lib("libkestrune-absent.so");
    try {
        lib.open_comm(1);
        FAIL() << "no BindError";
    } catch (const BindError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("libkestrune-absent.so"), std::string::npos) << what;
        EXPECT_NE(what.find("open_comm"), std::string::npos) << what;
    }
    // Every export fails the same way, not just the first one called.
    EXPECT_THROW(lib.close_comm(), BindError);
    EXPECT_THROW(lib.modbus_rd(1, 17008, 3), BindError);
}

TEST(Binding, MissingExportNamesTheExport)
{
    // The C library is always there and lacks our exports.
    DynamicKestrune lib("libc.so.6");
    try {
        lib.modbus_var(0);
        FAIL() << "no BindError";
    } catch (const BindError& e) {
        EXPECT_NE(std::string(e.what()).find("modbus_var"), std::string::npos) << e.what();
    }
}

TEST(Binding, OptionalExportsOfAnOlderOrAbsentLibraryJustTellNothing)
{
    for (const char* name : {"libc.so.6", "libkestrune-absent.so"}) {
        DynamicKestrune lib(name);
        EXPECT_EQ(lib.lastErrorText(), "") << name;
        EXPECT_EQ(lib.portDeviceName(33), std::nullopt) << name;
    }
    DynamicKestrune lib;
    EXPECT_EQ(lib.portDeviceName(33), "/dev/ttyUSB0");
    EXPECT_EQ(lib.portDeviceName(97), std::nullopt) << "no link, no device family";
}

TEST(Binding, RealLibraryBindsEachExport)
{
    DynamicKestrune lib;
    EXPECT_EQ(lib.bit_test(0x100, 8), 1u);
    EXPECT_EQ(lib.bit_set(0, 7), 0x80u);
    EXPECT_EQ(lib.bit_clear(0xFF, 0), 0xFEu);
    EXPECT_EQ(lib.low(0x3A5), 0xA5u);
    EXPECT_EQ(lib.high(0x3A5), 3u);
    // CRC-16/MODBUS of the bytes 01 03 is the crc_calc of the word 0x0301.
    EXPECT_EQ(lib.crc_calc(0xFFFF, 0x301), 0x2140u);
    EXPECT_EQ(lib.close_comm(), 0) << "nothing open";
}

TEST(Binding, ConnectWithoutTheLibraryShowsAMessageAndStaysDisconnected)
{
    DynamicKestrune lib("libkestrune-absent.so");
    FakeView view;
    FormValues values;
    RecordingPrompts prompts;
    MemorySettingsStore store;
    SystemClock clock;
    ControllerContext ctx{{lib, prompts, store, clock, "/x", {}, "/x/"}, view, values};
    ConnectController connect(ctx);
    // Every field readable, so that the open is tried.
    view.setListIndex(Control::cboBaudRate, 5);

    connect.cmdOK_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    // Numbered as the downloads number it: the run-time's "cannot load" error.
    EXPECT_EQ(prompts.shown[0].text.rfind("48 - ", 0), 0u) << prompts.shown[0].text;
    EXPECT_NE(prompts.shown[0].text.find("libkestrune-absent.so"), std::string::npos)
        << prompts.shown[0].text;
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");

    // The tick of a window whose flag says open never throws either.
    values.PortaAberta = true;
    PollController poll(ctx);
    EXPECT_NO_THROW(poll.Timer1_Timer());
}

} // namespace
