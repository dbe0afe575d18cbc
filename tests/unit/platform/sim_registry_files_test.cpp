#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/sim_codepage.h"
#include "platform/sim/sim_platform.h"

using namespace plat;

namespace {

const char* kServices = "SYSTEM\\CurrentControlSet\\Services";

class SimRegistryTest : public ::testing::Test {
  protected:
    sim::SimPlatform os;
    void TearDown() override { EXPECT_EQ(os.registry.OpenHandleCount(), 0); }
};

TEST_F(SimRegistryTest, SubkeysAreEnumeratedInNameOrderWithTheLongestNameReported) {
    for (const char* n : {"Tcpip", "browser", "LanmanServer"})
        os.registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kServices) + "\\" + n);
    HKEY key = 0;
    ASSERT_EQ(os.registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, kServices, 0, KEY_READ, &key), 0);
    DWORD count = 0, longest = 0;
    ASSERT_EQ(os.registry.RegQueryInfoKey(key, &count, &longest), 0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(longest, 12u);
    std::vector<std::string> names;
    char name[13];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (os.registry.RegEnumKeyEx(key, i, name, &len) != 0) break;
        names.emplace_back(name, len);
    }
    DWORD small = 3;
    EXPECT_EQ(os.registry.RegEnumKeyEx(key, 0, name, &small), static_cast<LONG>(ERROR_MORE_DATA));
    os.registry.RegCloseKey(key);
    EXPECT_EQ(names, (std::vector<std::string>{"browser", "LanmanServer", "Tcpip"}));
}

TEST_F(SimRegistryTest, ValueQueriesGiveTypeAndSizeThenDataAndRefuseShortBuffers) {
    os.registry.SetMultiString(HKEY_LOCAL_MACHINE, "A", "DependOnService", {"Tcpip", "x"});
    HKEY key = 0;
    ASSERT_EQ(os.registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "a", 0, KEY_READ, &key), 0);
    DWORD type = 0, size = 0;
    ASSERT_EQ(os.registry.RegQueryValueEx(key, "dependonservice", &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(size, 9u);
    uint8_t data[9];
    DWORD shortSize = 4;
    EXPECT_EQ(os.registry.RegQueryValueEx(key, "DependOnService", nullptr, data, &shortSize),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(shortSize, 9u);
    EXPECT_EQ(os.registry.RegQueryValueEx(key, "DependOnService", nullptr, data, &size), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 9), std::string("Tcpip\0x\0\0", 9));
    EXPECT_EQ(os.registry.RegQueryValueEx(key, "Missing", &type, nullptr, &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    os.registry.RegCloseKey(key);
}

TEST_F(SimRegistryTest, InjectedFaultsHitTheNamedKeyAndValueOnly) {
    os.registry.SetString(HKEY_LOCAL_MACHINE, "K", "V", "short");
    os.registry.ChangeValueBeforeRead(HKEY_LOCAL_MACHINE, "K", "V", std::vector<uint8_t>(40, 'x'));
    os.registry.FailOpen(HKEY_LOCAL_MACHINE, "Locked", static_cast<LONG>(ERROR_ACCESS_DENIED));
    HKEY key = 0;
    EXPECT_EQ(os.registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Locked", 0, KEY_READ, &key),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(os.registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), 0);
    DWORD size = 0;
    ASSERT_EQ(os.registry.RegQueryValueEx(key, "V", nullptr, nullptr, &size), 0);
    std::vector<uint8_t> data(size);
    EXPECT_EQ(os.registry.RegQueryValueEx(key, "V", nullptr, data.data(), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 40u);
    os.registry.RegCloseKey(key);
}

class SimIniTest : public ::testing::Test {
  protected:
    sim::SimPlatform os;
    std::string Read(const char* section, const char* key, const char* def = "none", DWORD size = 64) {
        std::vector<char> buf(size + 1, '#');
        const DWORD n = os.files.GetPrivateProfileString(section, key, def, buf.data(), size, "./code.ini");
        EXPECT_EQ(buf[n], '\0');
        return std::string(buf.data(), n);
    }
};

TEST_F(SimIniTest, ReadsIgnoreCaseAndBlanksAndFallBackToTheDefault) {
    os.files.Put("C:\\Tarnwick\\code.ini",
                 "; note\r\n[info]\r\n  savestate = 1 \r\nName=\"quoted\"\n[Other]\rSaveState=9");
    EXPECT_EQ(Read("Info", "SaveState"), "1");
    EXPECT_EQ(Read("INFO", "name"), "quoted");
    EXPECT_EQ(Read("other", "SAVESTATE"), "9");
    EXPECT_EQ(Read("Info", "LastState"), "none");
    EXPECT_EQ(Read("Missing", "SaveState", "dflt  "), "dflt");
    EXPECT_EQ(Read("Info", "Name", "", 4), "quo");
}

TEST_F(SimIniTest, ListsOfSectionsAndKeysEndWithTwoNuls) {
    os.files.Put("./code.ini", "[A]\r\nx=1\r\ny=2\r\n[B]\r\n");
    char buf[16];
    DWORD n = os.files.GetPrivateProfileString("A", nullptr, "", buf, sizeof buf, "./code.ini");
    EXPECT_EQ(std::string(buf, n + 1), std::string("x\0y\0\0", 5));
    n = os.files.GetPrivateProfileString(nullptr, nullptr, "", buf, sizeof buf, "./code.ini");
    EXPECT_EQ(std::string(buf, n + 1), std::string("A\0B\0\0", 5));
}

TEST_F(SimIniTest, WritesCreateAndReplaceKeysAndKeepEverythingElseInOrder) {
    ASSERT_TRUE(os.files.WritePrivateProfileString("Info", "SaveState", "0", "./code.ini"));
    EXPECT_EQ(os.files.Get("./code.ini"), "[Info]\r\nSaveState=0\r\n");
    os.files.Put("./code.ini", "; keep me\r\n[Info]\r\nSaveState=0\r\n\r\n[Later]\r\nk=v\r\n");
    ASSERT_TRUE(os.files.WritePrivateProfileString("info", "LastState", "1", "./code.ini"));
    ASSERT_TRUE(os.files.WritePrivateProfileString("INFO", "savestate", "1", "./code.ini"));
    ASSERT_TRUE(os.files.WritePrivateProfileString("New", "a", "b", "./code.ini"));
    EXPECT_EQ(os.files.Get("./code.ini"),
              "; keep me\r\n[Info]\r\nSaveState=1\r\nLastState=1\r\n\r\n[Later]\r\nk=v\r\n[New]\r\na=b\r\n");
    ASSERT_TRUE(os.files.WritePrivateProfileString("Info", "LastState", nullptr, "./code.ini"));
    ASSERT_TRUE(os.files.WritePrivateProfileString("Later", nullptr, nullptr, "./code.ini"));
    EXPECT_EQ(os.files.Get("./code.ini"), "; keep me\r\n[Info]\r\nSaveState=1\r\n\r\n[New]\r\na=b\r\n");
}

TEST_F(SimIniTest, WritesFailInAReadOnlyFolderOrFileAndChangeNothing) {
    os.files.Put("./code.ini", "[Info]\r\nSaveState=0\r\n");
    os.files.SetReadOnly("./code.ini");
    EXPECT_FALSE(os.files.WritePrivateProfileString("Info", "SaveState", "1", "./code.ini"));
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_ACCESS_DENIED);
    os.files.SetReadOnly("./code.ini", false);
    os.files.SetReadOnly("C:\\Tarnwick\\");
    EXPECT_FALSE(os.files.WritePrivateProfileString("Info", "SaveState", "1", "./code.ini"));
    EXPECT_FALSE(os.files.ReplaceFileAtomically("./srvStat.txt", "x\r\n"));
    EXPECT_EQ(os.files.Get("./code.ini"), "[Info]\r\nSaveState=0\r\n");
    EXPECT_FALSE(os.files.FileExists("./srvStat.txt"));
}

// What the Western code page keeps of a name: best fit where Windows has one, '?' otherwise.
TEST(SimCodePage, AnACallLosesWhatTheCodePageCannotSpell) {
    EXPECT_EQ(sim::ToAnsi("C:\\Tarnwick \u03A9 \u0105\u00E9", sim::CP_WESTERN), "C:\\Tarnwick O a\xE9");
    EXPECT_EQ(sim::ToAnsi("\u0414\u043C\u0438\u0442\u0440\u0438\u0439", sim::CP_WESTERN), "???????");
    EXPECT_EQ(sim::FromAnsi("Caf\xE9 \x80", sim::CP_WESTERN), "Caf\u00E9 \u20AC");
}

// An earlier version's file is ANSI and stays so, byte for byte, while everything written is
// ASCII; the first text outside ASCII turns it into UTF-16LE instead of into '?'.
TEST_F(SimIniTest, AnAnsiFileStaysAnsiUntilTextOutsideAsciiTurnsItIntoUtf16) {
    const std::string dmitri = "\u0414\u043C\u0438\u0442\u0440\u0438\u0439";
    os.files.Put("./code.ini", "[Info]\r\nName=Caf\xE9\r\n");
    EXPECT_EQ(Read("Info", "Name"), "Caf\u00E9");
    ASSERT_TRUE(os.files.WritePrivateProfileString("Info", "SaveState", "yes", "./code.ini"));
    EXPECT_EQ(os.files.Get("./code.ini"), "[Info]\r\nName=Caf\xE9\r\nSaveState=yes\r\n");
    ASSERT_TRUE(os.files.WritePrivateProfileString("Info", "SecondService", dmitri.c_str(), "./code.ini"));
    EXPECT_EQ(os.files.Get("./code.ini"),
              "\xFF\xFE" +
                  sim::Utf16LeFromUtf8(
                      "[Info]\r\nName=Caf\u00E9\r\nSaveState=yes\r\nSecondService=" + dmitri + "\r\n"));
    EXPECT_EQ(Read("Info", "SecondService"), dmitri);
    EXPECT_EQ(Read("Info", "Name"), "Caf\u00E9");
    EXPECT_FALSE(os.files.WritePrivateProfileString("Info", "Broken", "\xC3", "./code.ini"));
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

} // namespace
