// The registry clean-up of the uninstall run, on the prefix's real hives.
// Every key a test touches is taken away first and put back afterwards
// (bench::ScopedRegKeyRemoved), so the prefix ends as it began.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/Registry.h"
#include "bench/Restart.h"
#include "bench/Wait.h"
#include "uninstall/RegCleanup.h"

using bench::RegKeyExists;
using bench::RegReadString;
using bench::RegSetString;
using bench::RegSubkeys;
using bench::RegValueExists;
using bench::ScopedRegKeyRemoved;

namespace {

const char kSettings[] = "SOFTWARE\\Quorvane\\Pictavo 6";
const char kMaker[] = "SOFTWARE\\Quorvane";
const char kUninstallEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6";
const char kAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe";
const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

std::string TestKey(const char* tag)
{
    return "Software\\RegCleanupTest\\" + std::string(tag) + std::to_string(GetCurrentProcessId());
}

// Gives a key the read-only DACL D:(A;;KR;;;WD) for a scope: it can no
// longer be opened with full access, so the clean-up cannot empty it, and a
// key with a subkey left cannot be deleted. (Wine still lets the key itself
// be opened for DELETE, so the subkey is what keeps it.) The original DACL
// goes back through a handle opened with WRITE_DAC before the change.
class ScopedReadOnlyKey {
public:
    ScopedReadOnlyKey(HKEY root, const std::string& path)
    {
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key_));
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        original_.resize(size);
        EXPECT_EQ(ERROR_SUCCESS, RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data(), &size));
        PSECURITY_DESCRIPTOR sd = nullptr;
        EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KR;;;WD)", SDDL_REVISION_1, &sd,
                                                                         nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, sd));
        LocalFree(sd);
    }
    ~ScopedReadOnlyKey()
    {
        RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data());
        RegCloseKey(key_);
    }
    ScopedReadOnlyKey(const ScopedReadOnlyKey&) = delete;
    ScopedReadOnlyKey& operator=(const ScopedReadOnlyKey&) = delete;

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> original_;
};

}  // namespace

TEST(DeleteRegTree, DeletesDeepTreeDeepestFirst)
{
    const std::string root = TestKey("deep");
    ScopedRegKeyRemoved guard(HKEY_CURRENT_USER, root);
    // Several siblings on each level: the index must step back after each
    // deletion, or every second sibling would be left behind.
    for (const char* sub : {"\\a\\x\\1", "\\a\\x\\2", "\\a\\y", "\\b", "\\c\\z\\deep\\deeper", "\\d"})
        RegSetString(HKEY_CURRENT_USER, root + sub, "v", "1");
    RegSetString(HKEY_CURRENT_USER, root, "top", "1");

    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, root.c_str()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, root));
    EXPECT_FALSE(DeleteRegTree(HKEY_CURRENT_USER, root.c_str())) << "a missing key is not deleted";
}

TEST(DeleteRegTree, KeyWithoutAccessStaysWithItsAncestorsSiblingsGo)
{
    const std::string root = TestKey("denied");
    ScopedRegKeyRemoved guard(HKEY_CURRENT_USER, root);
    for (const char* sub : {"\\a", "\\m\\locked\\child", "\\m\\n", "\\z"})
        RegSetString(HKEY_CURRENT_USER, root + sub, "v", "1");
    ScopedReadOnlyKey locked(HKEY_CURRENT_USER, root + "\\m\\locked");

    EXPECT_FALSE(DeleteRegTree(HKEY_CURRENT_USER, root.c_str()));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, root + "\\m\\locked"));
    EXPECT_EQ(std::vector<std::string>{"m"}, RegSubkeys(HKEY_CURRENT_USER, root));
    EXPECT_EQ(std::vector<std::string>{"locked"}, RegSubkeys(HKEY_CURRENT_USER, root + "\\m"));
}

TEST(DeleteRegKeyIfNoSubkeys, DeletesOnlyKeysWithoutSubkeys)
{
    const std::string root = TestKey("nosub");
    ScopedRegKeyRemoved guard(HKEY_CURRENT_USER, root);
    RegSetString(HKEY_CURRENT_USER, root + "\\valuesOnly", "a", "1");
    RegSetString(HKEY_CURRENT_USER, root + "\\valuesOnly", "b", "2");
    RegSetString(HKEY_CURRENT_USER, root + "\\withSub\\child", "", "");
    bench::RegCreateKey(HKEY_CURRENT_USER, root + "\\empty");

    DeleteRegKeyIfNoSubkeys(HKEY_CURRENT_USER, (root + "\\valuesOnly").c_str());
    DeleteRegKeyIfNoSubkeys(HKEY_CURRENT_USER, (root + "\\withSub").c_str());
    DeleteRegKeyIfNoSubkeys(HKEY_CURRENT_USER, (root + "\\empty").c_str());
    DeleteRegKeyIfNoSubkeys(HKEY_CURRENT_USER, (root + "\\missing").c_str());

    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, root + "\\valuesOnly"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, root + "\\empty"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, root + "\\withSub\\child"));
}

// The product's keys in every hive the uninstall visits.
class RemoveProductKeysTest : public ::testing::Test {
protected:
    ScopedRegKeyRemoved hklmMaker_{HKEY_LOCAL_MACHINE, kMaker};
    ScopedRegKeyRemoved hkcuMaker_{HKEY_CURRENT_USER, kMaker};
    ScopedRegKeyRemoved defaultMaker_{HKEY_USERS, std::string(".Default\\") + kMaker};
    ScopedRegKeyRemoved document_{HKEY_CLASSES_ROOT, "PV6.Document"};
    ScopedRegKeyRemoved uninstall_{HKEY_LOCAL_MACHINE, kUninstallEntry};
    ScopedRegKeyRemoved appPath_{HKEY_LOCAL_MACHINE, kAppPath};
    ScopedRegKeyRemoved otherUninstall_{HKEY_LOCAL_MACHINE,
                                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6 Extra"};
};

TEST_F(RemoveProductKeysTest, RemovesSettingsEverywhereAndMakerKeysLeftEmpty)
{
    // Machine: the maker key also holds another product, so it stays.
    RegSetString(HKEY_LOCAL_MACHINE, kSettings, "Path", "C:\\Apps\\Pictavo 6");
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kSettings) + "\\Options\\Deep\\Deeper", "x", "1");
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kMaker) + "\\Other Product", "Path", "C:\\Other");
    // Current user: the maker key has values of its own but no other
    // subkey, so it goes.
    RegSetString(HKEY_CURRENT_USER, std::string(kSettings) + "\\Recent", "File1", "a.png");
    RegSetString(HKEY_CURRENT_USER, kMaker, "Registered", "yes");
    // The default profile, reached only through HKEY_USERS.
    RegSetString(HKEY_USERS, std::string(".Default\\") + kSettings + "\\Window", "Left", "10");
    // The document type, a tree.
    RegSetString(HKEY_CLASSES_ROOT, "PV6.Document\\shell\\open\\command", "", "Pictavo6.exe \"%1\"");
    // The uninstall entry and application path with values only.
    RegSetString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName", "Pictavo 6");
    RegSetString(HKEY_LOCAL_MACHINE, kAppPath, "", "C:\\Apps\\Pictavo 6\\Pictavo6.exe");
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kUninstallEntry) + " Extra", "DisplayName", "neighbour");

    RemoveProductKeys();

    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kSettings));
    EXPECT_EQ(std::vector<std::string>{"Other Product"}, RegSubkeys(HKEY_LOCAL_MACHINE, kMaker));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kSettings));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kMaker)) << "values alone do not keep the maker key";
    EXPECT_FALSE(RegKeyExists(HKEY_USERS, std::string(".Default\\") + kSettings));
    EXPECT_FALSE(RegKeyExists(HKEY_USERS, std::string(".Default\\") + kMaker));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "PV6.Document"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppPath));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallEntry) + " Extra"));
}

TEST_F(RemoveProductKeysTest, UninstallEntryAndAppPathAreNotDeletedRecursively)
{
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kUninstallEntry) + "\\Sub", "x", "1");
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kAppPath) + "\\Sub", "x", "1");

    RemoveProductKeys();

    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallEntry) + "\\Sub"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kAppPath) + "\\Sub"));
}

TEST_F(RemoveProductKeysTest, SettingsSubkeyWithoutAccessKeepsItAndTheSettingsKey)
{
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kSettings) + "\\Before", "x", "1");
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kSettings) + "\\Locked\\Child", "x", "1");
    RegSetString(HKEY_LOCAL_MACHINE, std::string(kSettings) + "\\Later", "x", "1");
    {
        ScopedReadOnlyKey locked(HKEY_LOCAL_MACHINE, std::string(kSettings) + "\\Locked");
        RemoveProductKeys();
    }
    EXPECT_EQ(std::vector<std::string>{"Locked"}, RegSubkeys(HKEY_LOCAL_MACHINE, kSettings));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kMaker)) << "the maker key still holds the settings key";
}

// One image type's association before the clean-up and what it must hold
// afterwards (nullopt: the value is gone).
struct AssocCase {
    const char* type;
    std::optional<std::string> value, previous;
    std::optional<std::string> valueAfter, previousAfter;
};

const AssocCase kAssocCases[] = {
    // Taken over, with the previous application: it comes back.
    {".png", "C:\\Apps\\Pictavo 6\\Pictavo6.exe", "mspaint.exe", "mspaint.exe", std::nullopt},
    // Taken over, no previous application: the choice is removed.
    {".jpg", "Pictavo6.exe", std::nullopt, std::nullopt, std::nullopt},
    // An empty previous application counts as none.
    {".wpg", "\"C:\\P\\Pictavo6.exe\" \"%1\"", "", std::nullopt, std::nullopt},
    // Another program's type is not touched, its PictavoOld neither.
    {".gif", "viewer.exe", "old.exe", "viewer.exe", "old.exe"},
    // The product's name is matched case-sensitively.
    {".tga", "pictavo6.exe", "old.exe", "pictavo6.exe", "old.exe"},
    // Not an image type of the product.
    {".txt", "Pictavo6.exe", "notepad.exe", "Pictavo6.exe", "notepad.exe"},
};

void SetOrDelete(HKEY root, const std::string& key, const char* name, const std::optional<std::string>& v)
{
    if (v)
        RegSetString(root, key, name, *v);
    else
        bench::RegDeleteValue(root, key, name);
}

void ExpectValue(HKEY root, const std::string& key, const char* name, const std::optional<std::string>& v,
                 const char* type)
{
    if (v)
        EXPECT_EQ(*v, RegReadString(root, key, name).value_or("<missing>")) << type << " " << name;
    else
        EXPECT_FALSE(RegValueExists(root, key, name)) << type << " " << name << " must be gone";
}

TEST(RestoreFileAssociations, GivesImageTypesBackToThePreviousApplication)
{
    ScopedRegKeyRemoved exts(HKEY_CURRENT_USER, kFileExts);
    for (const AssocCase& c : kAssocCases) {
        const std::string key = std::string(kFileExts) + "\\" + c.type;
        bench::RegCreateKey(HKEY_CURRENT_USER, key);
        SetOrDelete(HKEY_CURRENT_USER, key, "Application", c.value);
        SetOrDelete(HKEY_CURRENT_USER, key, "PictavoOld", c.previous);
    }

    RestoreFileAssociations();

    for (const AssocCase& c : kAssocCases) {
        const std::string key = std::string(kFileExts) + "\\" + c.type;
        ExpectValue(HKEY_CURRENT_USER, key, "Application", c.valueAfter, c.type);
        ExpectValue(HKEY_CURRENT_USER, key, "PictavoOld", c.previousAfter, c.type);
    }
}

TEST(RestoreFileAssociations, WithoutThePerUserKeyUsesTheClassesRootDefaultValues)
{
    ScopedRegKeyRemoved exts(HKEY_CURRENT_USER, kFileExts);
    ScopedRegKeyRemoved cmp(HKEY_CLASSES_ROOT, ".cmp");
    ScopedRegKeyRemoved dib(HKEY_CLASSES_ROOT, ".dib");
    RegSetString(HKEY_CLASSES_ROOT, ".cmp", "", "Pictavo6.exe");
    RegSetString(HKEY_CLASSES_ROOT, ".cmp", "PictavoOld", "CmpFile");
    RegSetString(HKEY_CLASSES_ROOT, ".cmp", "Application", "Pictavo6.exe");
    RegSetString(HKEY_CLASSES_ROOT, ".dib", "", "Paint.Picture");

    RestoreFileAssociations();

    EXPECT_EQ("CmpFile", RegReadString(HKEY_CLASSES_ROOT, ".cmp", "").value_or("<missing>"));
    EXPECT_FALSE(RegValueExists(HKEY_CLASSES_ROOT, ".cmp", "PictavoOld"));
    EXPECT_EQ("Pictavo6.exe", RegReadString(HKEY_CLASSES_ROOT, ".cmp", "Application").value_or("<missing>"))
        << "in the classes root only the default value is the association";
    EXPECT_EQ("Paint.Picture", RegReadString(HKEY_CLASSES_ROOT, ".dib", "").value_or("<missing>"));
}

namespace {

// Counts the shell's association-change notifications that reach a window
// of this thread, as the shell's own windows would receive them.
class AssocChangeListener {
public:
    AssocChangeListener()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RegCleanupTestListener";
        RegisterClassA(&wc);
        wnd_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop_);
        SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &sentinelItem_);
        SHChangeNotifyEntry entry = {desktop_, TRUE};   // everything below the desktop
        id_ = SHChangeNotifyRegister(wnd_, SHCNRF_ShellLevel, SHCNE_ASSOCCHANGED | SHCNE_UPDATEDIR, kMessage, 1,
                                     &entry);
        s_assocChanges = 0;
        s_sentinel = false;
    }
    ~AssocChangeListener()
    {
        SHChangeNotifyDeregister(id_);
        DestroyWindow(wnd_);
        CoTaskMemFree(sentinelItem_);
        CoTaskMemFree(desktop_);
    }
    bool Registered() const { return wnd_ && id_ && sentinelItem_; }

    // The association changes that arrived before a notification of our
    // own, which is sent now and waited for: the shell delivers them in
    // the order in which they were sent.
    int ChangesBeforeSentinel()
    {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, sentinelItem_, nullptr);
        bench::WaitUntil(
            [] {
                MSG msg;
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&msg);
                return s_sentinel;
            },
            "our own change notification");
        return s_assocChanges;
    }

private:
    static constexpr UINT kMessage = WM_APP + 17;
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m != kMessage)
            return DefWindowProcA(w, m, wp, lp);
        if (lp == SHCNE_UPDATEDIR)
            s_sentinel = true;
        else if (lp == SHCNE_ASSOCCHANGED && !s_sentinel)
            ++s_assocChanges;
        return 0;
    }
    static int s_assocChanges;
    static bool s_sentinel;
    HWND wnd_ = nullptr;
    ULONG id_ = 0;
    LPITEMIDLIST desktop_ = nullptr, sentinelItem_ = nullptr;
};
int AssocChangeListener::s_assocChanges = 0;
bool AssocChangeListener::s_sentinel = false;

}  // namespace

TEST(RestoreFileAssociations, TellsTheShellOnlyWhenAnAssociationChanged)
{
    ScopedRegKeyRemoved exts(HKEY_CURRENT_USER, kFileExts);
    const std::string png = std::string(kFileExts) + "\\.png";
    RegSetString(HKEY_CURRENT_USER, png, "Application", "viewer.exe");
    {
        AssocChangeListener listener;
        ASSERT_TRUE(listener.Registered());
        RestoreFileAssociations();
        EXPECT_EQ(0, listener.ChangesBeforeSentinel()) << "nothing changed, nothing to tell";
    }
    RegSetString(HKEY_CURRENT_USER, png, "Application", "Pictavo6.exe");
    {
        AssocChangeListener listener;
        ASSERT_TRUE(listener.Registered());
        RestoreFileAssociations();
        EXPECT_EQ(1, listener.ChangesBeforeSentinel());
    }
}
