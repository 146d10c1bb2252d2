// The baud-rate list position of a stored text, and the program name the
// settings live under.
#include "connection/connectionsettings.h"
#include "core/settingsstore.h"

#include <gtest/gtest.h>

namespace {

TEST(BaudIndex, OnlyWholeNumbersFromZeroToFiveSelectAnEntry)
{
    EXPECT_EQ(baudIndexFromText("0"), 0);
    EXPECT_EQ(baudIndexFromText("5"), 5);
    EXPECT_EQ(baudIndexFromText(" 3 "), 3);
    EXPECT_EQ(baudIndexFromText("2.5"), 2) << "halves to even, as the conversion does";
    EXPECT_EQ(baudIndexFromText("-1"), -1);
    EXPECT_EQ(baudIndexFromText("6"), -1);
    EXPECT_EQ(baudIndexFromText("-2"), -1);
    EXPECT_EQ(baudIndexFromText("abc"), -1);
    EXPECT_EQ(baudIndexFromText(""), -1);
    EXPECT_EQ(baudIndexFromText("99999999"), -1);
}

TEST(SettingsName, ProgramNameIsTheFileNameWithoutItsExtension)
{
    EXPECT_EQ(settingsNameOf("/opt/logqvr/bin/LOG_QVR"), "LOG_QVR");
    EXPECT_EQ(settingsNameOf("/opt/logqvr/bin/LOG_QVR.bin"), "LOG_QVR");
    // Only the last suffix is the extension: a renamed copy keeps its own name.
    EXPECT_EQ(settingsNameOf("/srv/LOG_QVR.v2.bin"), "LOG_QVR.v2");
    EXPECT_EQ(settingsNameOf("/srv/LOG_QVR.v3.bin"), "LOG_QVR.v3");
    EXPECT_EQ(settingsNameOf("/srv/.qvr"), ".qvr");
}

} // namespace
