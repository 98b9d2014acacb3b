// The probes of an earlier installation and of version resources, on real
// registry values and real executables. HKEY_LOCAL_MACHINE is redirected to
// a key of the test's own (RegOverridePredefKey) where a probe reads fixed
// machine-wide paths, so the prefix's own values are never changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "app/Probes.h"
#include "app/SetupState.h"
#include "bench/Files.h"
#include "bench/Wait.h"
#include "fixtures/ProductFixture.h"

namespace {

const char kTestRoot[] = "Software\\StartupTests";

// A key of the test's own under HKEY_CURRENT_USER, removed afterwards.
class ScratchKey {
public:
    ScratchKey()
    {
        path_ = std::string(kTestRoot) + "\\Probes-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter_);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS)
            throw bench::Error("cannot create " + path_);
    }
    ~ScratchKey()
    {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }
    HKEY Get() const { return key_; }
    const std::string& Path() const { return path_; }

    void Set(const std::string& subkey, const std::string& name, DWORD type, const void* data, DWORD size)
    {
        HKEY k = nullptr;
        if (RegCreateKeyExA(key_, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
            ERROR_SUCCESS)
            throw bench::Error("cannot create " + subkey);
        LONG r = RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
        if (r != ERROR_SUCCESS)
            throw bench::Error("cannot set " + subkey + "\\" + name);
    }
    // A REG_SZ value with its terminating zero.
    void SetString(const std::string& subkey, const std::string& name, const std::string& value)
    {
        Set(subkey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }

private:
    static int counter_;
    HKEY key_ = nullptr;
    std::string path_;
};
int ScratchKey::counter_ = 0;

// HKEY_LOCAL_MACHINE of this process reads a scratch key for the length of
// a scope.
class ScopedMachineHive {
public:
    ScopedMachineHive()
    {
        if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, hive_.Get()) != ERROR_SUCCESS)
            throw bench::Error("RegOverridePredefKey failed");
    }
    ~ScopedMachineHive() { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }
    ScratchKey& Hive() { return hive_; }

private:
    ScratchKey hive_;
};

const char kVendorKey[] = "SOFTWARE\\Quorvane\\Pictavo 6";
const char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe";
const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

}  // namespace

TEST(ReadRegString, ValuesAsTheyAreStored)
{
    ScratchKey key;
    const std::string k = "values";
    key.SetString(k, "plain", "C:\\Apps\\Pictavo 6");
    key.SetString(k, "", "the default value");
    key.SetString(k, "max", std::string(259, 'm'));
    key.SetString(k, "toolong", std::string(260, 'l'));
    const std::string exact(260, 'e');   // fills the buffer, no terminating zero
    key.Set(k, "exact", REG_BINARY, exact.data(), 260);
    key.Set(k, "expand", REG_EXPAND_SZ, "%WINDIR%\\x", 11);
    const DWORD dword = 0x00434241;      // "ABC" in little-endian bytes
    key.Set(k, "dword", REG_DWORD, &dword, sizeof dword);
    key.SetString(k, "empty", "");

    struct Case {
        const char* what;
        const char* key;
        const char* name;
        std::string expected;
    };
    const std::string sub = key.Path() + "\\values";
    const Case cases[] = {
        {"a string", sub.c_str(), "plain", "C:\\Apps\\Pictavo 6"},
        {"the default value", sub.c_str(), "", "the default value"},
        {"259 characters", sub.c_str(), "max", std::string(259, 'm')},
        {"260 characters and the zero do not fit", sub.c_str(), "toolong", ""},
        {"260 bytes without a zero are read, and no further", sub.c_str(), "exact", exact},
        {"nothing is expanded", sub.c_str(), "expand", "%WINDIR%\\x"},
        {"the type is ignored", sub.c_str(), "dword", "ABC"},
        {"an empty value", sub.c_str(), "empty", ""},
        {"a missing value", sub.c_str(), "missing", ""},
        {"a missing key", (sub + "\\missing").c_str(), "plain", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(std::string(ReadRegString(HKEY_CURRENT_USER, c.key, c.name)), c.expected);
    }
}

TEST(ReadRegString, AKeyThatCannotBeOpenedReadsAsEmpty)
{
    ScratchKey key;
    key.SetString("locked", "v", "secret");
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key.Get(), "locked", 0, WRITE_DAC | READ_CONTROL, &k), ERROR_SUCCESS);
    // Only the right to change the DACL back is left, to everybody.
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    BYTE aclBuffer[256];
    ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
    InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, WRITE_DAC, everyone);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    ASSERT_EQ(RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);

    EXPECT_EQ(std::string(ReadRegString(HKEY_CURRENT_USER, (key.Path() + "\\locked").c_str(), "v")), "");

    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);   // a null DACL: full access again
    RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(k);
    FreeSid(everyone);
}

TEST(FindPreviousInstallDir, FromTheVendorKeyOrTheApplicationPath)
{
    struct Case {
        const char* what;
        std::optional<std::string> path;      // vendor key, value "Path"
        std::optional<std::string> appPath;   // App Paths\Pictavo6.exe, default value
        std::string expected;
    };
    const Case cases[] = {
        {"a trailing backslash is dropped", "C:\\Apps\\Pictavo 6\\", std::nullopt, "C:\\Apps\\Pictavo 6"},
        {"only one of two", "C:\\Apps\\Pictavo 6\\\\", std::nullopt, "C:\\Apps\\Pictavo 6\\"},
        {"the vendor key wins", "D:\\Pictavo", "C:\\Other\\Pictavo6.exe", "D:\\Pictavo"},
        {"the application path", std::nullopt, "C:\\Apps\\Pictavo 6\\Pictavo6.exe", "C:\\Apps\\Pictavo 6"},
        {"an empty Path falls through", "", "C:\\X\\Pictavo6.exe", "C:\\X"},
        {"a Path too long to read falls through", std::string(300, 'p'), "C:\\X\\Pictavo6.exe", "C:\\X"},
        {"the file name in capitals", std::nullopt, "C:\\APPS\\PICTAVO6.EXE", ""},
        {"another file name", std::nullopt, "C:\\Apps\\Pictavo.exe", ""},
        {"up to the first occurrence", std::nullopt, "C:\\A\\Pictavo6.exe\\B\\Pictavo6.exe", "C:\\A"},
        {"a doubled separator before the name", std::nullopt, "C:\\A\\\\Pictavo6.exe", "C:\\A"},
        {"nothing before the name", std::nullopt, "\\Pictavo6.exe", ""},
        {"no earlier installation", std::nullopt, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedMachineHive machine;
        if (c.path)
            machine.Hive().SetString(kVendorKey, "Path", *c.path);
        if (c.appPath)
            machine.Hive().SetString(kAppPathKey, "", *c.appPath);
        EXPECT_EQ(std::string(FindPreviousInstallDir()), c.expected);
    }
}

TEST(GetProgramFilesDir, FromTheRegistryOrTheWindowsDrive)
{
    struct Case {
        const char* what;
        std::optional<std::string> value;
        std::string expected;
    };
    // The prefix's Windows folder is C:\windows.
    const Case cases[] = {
        {"the registry value", "D:\\Programs", "D:\\Programs"},
        {"a trailing backslash is dropped", "D:\\Programs\\", "D:\\Programs"},
        {"a drive's root", "E:\\", "E:"},
        {"no value: the Windows drive", std::nullopt, "C:\\Program Files"},
        {"an empty value: the Windows drive", "", "C:\\Program Files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedMachineHive machine;
        if (c.value)
            machine.Hive().SetString(kCurrentVersionKey, "ProgramFilesDir", *c.value);
        EXPECT_EQ(std::string(GetProgramFilesDir()), c.expected);
    }
}

TEST(GetModuleDir, IsTheFolderOfTheRunningProgram)
{
    // The test programs lie in the build folder, seen from Wine as a path
    // of drive Z:.
    std::string expected = std::string("Z:") + TEST_BUILD_DIR;
    for (char& ch : expected)
        if (ch == '/')
            ch = '\\';
    EXPECT_EQ(std::string(GetModuleDir()), expected);
}

TEST(ReadFileVersion, TakesTheFileVersionOfAnExecutable)
{
    bench::ScopedTempDir dir("version probe");
    bench::WriteFile(dir / "readme.txt", "not a program");
    struct Case {
        const char* what;
        std::string path;
        int major, minor, release, build;
    };
    const Case cases[] = {
        {"6.1.2.0", fixture::PlaceProduct(dir / "612", "612"), 6, 1, 2, 0},
        {"6.0.5.3", fixture::PlaceProduct(dir / "6053", "6053"), 6, 0, 5, 3},
        {"no version resource", fixture::PlaceProduct(dir / "nover", "nover"), 0, 0, 0, 0},
        {"a missing file", dir / "missing.exe", 0, 0, 0, 0},
        {"not a program", dir / "readme.txt", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Every call writes all four parts.
        g_nVerMajor = g_nVerMinor = g_nVerRelease = g_nVerBuild = 99;
        ReadFileVersion(c.path.c_str());
        EXPECT_EQ(g_nVerMajor, c.major);
        EXPECT_EQ(g_nVerMinor, c.minor);
        EXPECT_EQ(g_nVerRelease, c.release);
        EXPECT_EQ(g_nVerBuild, c.build);
    }
}
