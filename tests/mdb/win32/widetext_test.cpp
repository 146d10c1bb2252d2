// UTF-8 to UTF-16 and back at the boundary with Windows, and the system's
// error texts.
#include "win32/widetext.h"

#include <gtest/gtest.h>

namespace {

TEST(WideText, RoundTripsEveryPlaneAndRefusesBrokenUtf8)
{
    // "Relatórios ção €" and a character beyond the BMP (a surrogate pair).
    const std::string utf8 = "Relat\xC3\xB3rios \xC3\xA7\xC3\xA3o \xE2\x82\xAC \xF0\x9D\x84\x9E";
    const std::wstring utf16 = L"Relat\u00f3rios \u00e7\u00e3o \u20ac \U0001D11E";
    EXPECT_EQ(win32::widen(utf8), utf16);
    EXPECT_EQ(win32::narrow(utf16), utf8);
    EXPECT_EQ(win32::widen(""), L"");
    for (const char* broken : {"a\xC3", "\xFF", "\xED\xA0\x80" /* a surrogate */})
        EXPECT_EQ(win32::widen(broken), L"") << broken;
    EXPECT_EQ(win32::narrow(std::wstring(1, L'\xD800')), "\xEF\xBF\xBD");
}

TEST(WideText, ErrorTextsCarryTheNumberAndNoLineBreak)
{
    const std::string text = win32::errorText(2); // ERROR_FILE_NOT_FOUND
    ASSERT_GT(text.size(), 4u);
    EXPECT_EQ(text.substr(text.size() - 4), " (2)") << text;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_EQ(win32::errorText(0xE0001234).substr(0, 6), "error ");
}

} // namespace
