// The two number readings of text fields: the leading number (never fails)
// and the strict conversion with halves rounded to even.
#include "core/textnumber.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

struct LeadingCase {
    const char* text;
    double expected;
};

class LeadingNumber : public testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart)
{
    EXPECT_DOUBLE_EQ(textnum::leadingNumber(GetParam().text), GetParam().expected)
        << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         LeadingNumber,
                         testing::Values(LeadingCase{"", 0},
                                         LeadingCase{"abc", 0},
                                         LeadingCase{"3", 3},
                                         LeadingCase{"  12", 12},
                                         LeadingCase{"1 2", 12},
                                         LeadingCase{"12abc", 12},
                                         LeadingCase{"2.5", 2.5},
                                         LeadingCase{"-2", -2},
                                         LeadingCase{"+7", 7},
                                         LeadingCase{".5", 0.5},
                                         LeadingCase{"1e3", 1000},
                                         LeadingCase{"1e", 1},
                                         LeadingCase{"1D2", 100},
                                         LeadingCase{"2,5", 2},
                                         LeadingCase{"-", 0},
                                         LeadingCase{".", 0},
                                         LeadingCase{"0x10", 0}));

struct StrictCase {
    const char* text;
    bool valid;
    double value; // when valid
};

class StrictDouble : public testing::TestWithParam<StrictCase> {};

TEST_P(StrictDouble, AcceptsOnlyAWholeNumber)
{
    const StrictCase& c = GetParam();
    if (c.valid) {
        EXPECT_DOUBLE_EQ(textnum::toDouble(c.text), c.value) << c.text;
    } else {
        try {
            textnum::toDouble(c.text);
            ADD_FAILURE() << "accepted '" << c.text << "'";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), textnum::kTypeMismatch) << c.text;
            EXPECT_STREQ(e.what(), "Type mismatch");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         StrictDouble,
                         testing::Values(StrictCase{"12", true, 12},
                                         StrictCase{"  9600 ", true, 9600},
                                         StrictCase{"     115200", true, 115200},
                                         StrictCase{"-3.25", true, -3.25},
                                         StrictCase{"+4", true, 4},
                                         StrictCase{"1e2", true, 100},
                                         StrictCase{"", false, 0},
                                         StrictCase{"   ", false, 0},
                                         StrictCase{"12abc", false, 0},
                                         StrictCase{"a1", false, 0},
                                         StrictCase{"1 2", false, 0},
                                         StrictCase{"2,5", false, 0},
                                         StrictCase{"1e", false, 0},
                                         StrictCase{"--1", false, 0}));

struct RoundCase {
    double value;
    int expected;
};

class HalfToEven : public testing::TestWithParam<RoundCase> {};

TEST_P(HalfToEven, RoundsToTheNearestAndHalvesToEven)
{
    EXPECT_EQ(textnum::roundToInt16(GetParam().value), GetParam().expected) << GetParam().value;
    EXPECT_EQ(textnum::roundToInt32(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values,
                         HalfToEven,
                         testing::Values(RoundCase{0.5, 0},
                                         RoundCase{1.5, 2},
                                         RoundCase{2.5, 2},
                                         RoundCase{3.5, 4},
                                         RoundCase{-0.5, 0},
                                         RoundCase{-1.5, -2},
                                         RoundCase{-2.5, -2},
                                         RoundCase{2.4999, 2},
                                         RoundCase{2.5001, 3},
                                         RoundCase{-2.6, -3},
                                         RoundCase{32767.4, 32767},
                                         RoundCase{-32768.5, -32768}));

TEST(IntegerConversion, OverflowBeyondTheTypeRange)
{
    EXPECT_EQ(textnum::toInt16("32767"), 32767);
    EXPECT_EQ(textnum::toInt16("-32768"), -32768);
    EXPECT_EQ(textnum::toInt32("70000"), 70000);
    for (const char* text : {"32768", "32767.5", "-32769", "1e300"}) {
        try {
            textnum::toInt16(text);
            ADD_FAILURE() << "no overflow for " << text;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), textnum::kOverflow) << text;
            EXPECT_STREQ(e.what(), "Overflow");
        }
    }
    EXPECT_THROW(textnum::toInt32("2147483648"), RuntimeError);
    EXPECT_THROW(textnum::toDouble("1e999"), RuntimeError);
    EXPECT_THROW(textnum::roundToInt32(std::nan("")), RuntimeError);
    EXPECT_EQ(textnum::toDouble("1e-999"), 0.0);
}

TEST(IntegerConversion, TypeMismatchComesBeforeRounding)
{
    EXPECT_EQ(textnum::toInt16("2.5"), 2);
    EXPECT_EQ(textnum::toInt16(" 3.5 "), 4);
    try {
        textnum::toInt16("");
        ADD_FAILURE() << "empty text accepted";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), textnum::kTypeMismatch);
    }
}

// A user whose number format has a decimal comma still types "2.5".
TEST(Locale, PointIsTheSeparatorWhateverTheCLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "pt_BR.UTF-8", "fr_FR.UTF-8", "de_DE", "pt_BR"})
        if (std::setlocale(LC_ALL, name)) {
            comma = name;
            break;
        }
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_DOUBLE_EQ(textnum::toDouble("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(textnum::leadingNumber("2.5"), 2.5);
    EXPECT_THROW(textnum::toDouble("2,5"), RuntimeError);
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
