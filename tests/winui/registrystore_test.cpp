// The registry settings store in Wine's real registry (the test prefix's
// HKEY_CURRENT_USER), under an application name of the test's own: the
// place, round trips beyond ASCII, first-run defaults, and values a
// technician wrote by hand with other types.
#include "connection/connectionsettings.h"
#include "connection/registrysettingsstore.h"
#include "form/programplace.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class RegistryStore : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_appKey.c_str()); }

    void writeRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER,
                                  m_store.keyPath().c_str(),
                                  0,
                                  nullptr,
                                  0,
                                  KEY_SET_VALUE,
                                  nullptr,
                                  &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }

    const std::string m_app = "LOGQVR_test_" + std::to_string(GetCurrentProcessId());
    const std::wstring m_appKey = L"Software\\VB and VBA Program Settings\\" + win32::widen(m_app);
    RegistrySettingsStore m_store{m_app};
};

TEST_F(RegistryStore, TextValuesUnderTheProgramsNameInParams)
{
    EXPECT_EQ(m_store.value("Caminho"), std::nullopt);
    m_store.setValue("Caminho", "C:\\Relatórios\\Técnico\\");
    m_store.setValue("COM", "");
    EXPECT_EQ(m_store.value("Caminho"), "C:\\Relatórios\\Técnico\\");
    EXPECT_EQ(m_store.value("COM"), "");

    // Where other programs of this kind look: a string with its NUL.
    wchar_t raw[64] = {};
    DWORD bytes = sizeof raw;
    DWORD type = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER,
                           (m_appKey + L"\\Params").c_str(),
                           L"Caminho",
                           RRF_RT_ANY,
                           &type,
                           raw,
                           &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(raw), L"C:\\Relat\u00f3rios\\T\u00e9cnico\\");
    EXPECT_EQ(bytes, (std::wstring(raw).size() + 1) * sizeof(wchar_t));
}

TEST_F(RegistryStore, FirstRunTakesTheDefaultsAndTheProgramsPlace)
{
    const ProgramPlace place = programPlace();
    EXPECT_EQ(place.settingsName, "winui_tests");
    EXPECT_NE(GetFileAttributesW(win32::widen(place.folder + "\\winui_tests.exe").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << place.folder;
    // The user's own folders, for a program that may not write beside itself.
    const std::string local = userTemplateFolder();
    EXPECT_TRUE(local.ends_with("\\AppData\\Local\\LOG_QVR")) << local;
    const DWORD documents = GetFileAttributesW(win32::widen(documentsFolder()).c_str());
    EXPECT_TRUE(documents != INVALID_FILE_ATTRIBUTES && (documents & FILE_ATTRIBUTE_DIRECTORY))
        << documentsFolder();
    const ConnectionSettings s = ConnectionSettings::load(m_store, place.folder + "\\");
    EXPECT_EQ(s.timeout, "200");
    EXPECT_EQ(s.retries, "10");
    EXPECT_EQ(s.baudIndex, 5);
    EXPECT_EQ(s.com, "1");
    EXPECT_EQ(s.endereco, "1");
    EXPECT_EQ(s.caminho, place.folder + "\\");
}

TEST_F(RegistryStore, ValuesWrittenByHandWithOtherTypes)
{
    const DWORD baud = 1;
    writeRaw(L"Baudrate", REG_DWORD, &baud, sizeof baud);
    const DWORD minusOne = 0xFFFFFFFF;
    writeRaw(L"Retries", REG_DWORD, &minusOne, sizeof minusOne);
    const unsigned long long big = 5000000000ULL;
    writeRaw(L"Timeout", REG_QWORD, &big, sizeof big);
    const wchar_t expandable[] = L"%WINDIR%\\Logs\\";
    writeRaw(L"Caminho", REG_EXPAND_SZ, expandable, sizeof expandable);
    const BYTE binary[] = {0x31, 0x00};
    writeRaw(L"COM", REG_BINARY, binary, sizeof binary);
    const wchar_t multi[] = L"7\0"
                            L"8\0";
    writeRaw(L"Endereco", REG_MULTI_SZ, multi, sizeof multi);
    // regedit's own strings end with a NUL; a program's may not, or carry more.
    const wchar_t unterminated[] = {L'1', L'2'};
    writeRaw(L"Top", REG_SZ, unterminated, sizeof unterminated);
    const wchar_t doubled[] = L"34\0\0";
    writeRaw(L"Left", REG_SZ, doubled, sizeof doubled);

    EXPECT_EQ(m_store.value("Baudrate"), "1");
    EXPECT_EQ(m_store.value("Retries"), "4294967295");
    EXPECT_EQ(m_store.value("Timeout"), "5000000000");
    wchar_t windir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"WINDIR", windir, MAX_PATH);
    ASSERT_NE(windir[0], L'\0');
    EXPECT_EQ(m_store.value("Caminho"), win32::narrow(std::wstring(windir) + L"\\Logs\\"));
    EXPECT_EQ(m_store.value("COM"), std::nullopt);
    EXPECT_EQ(m_store.value("Endereco"), std::nullopt);
    EXPECT_EQ(m_store.value("Top"), "12");
    EXPECT_EQ(m_store.value("Left"), "34");

    // What the window then shows: the number as a list position; the
    // unreadable types give way to their defaults.
    const ConnectionSettings s = ConnectionSettings::load(m_store, "C:\\LOG_QVR\\");
    EXPECT_EQ(s.baudIndex, 1);
    EXPECT_EQ(s.com, "1");
    EXPECT_EQ(s.endereco, "1");
}

} // namespace
