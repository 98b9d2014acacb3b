// Removal through the install logs: shortcuts and group folders, file and
// folder records, and the guards that keep a replay inside the folder that
// the installation made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Wait.h"
#include "install/EngineTest.h"
#include "uninstall/LogReplay.h"

using enginetest::ListTree;
using enginetest::PutFile;

namespace {

using Tree = std::vector<std::string>;

// The Unix path of a Windows path of the prefix.
std::string UnixPath(const std::string& path)
{
    typedef char*(CDECL * UnixName)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!unixName)
        throw bench::Error("wine_get_unix_file_name is missing: not under Wine");
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unixName(wide);
    if (!name)
        throw bench::Error("no Unix path for " + path);
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a Unix program of the host. Wine hands it its arguments split by
// the Windows rules, and its end cannot be waited for: the caller polls for
// the effect.
void RunUnix(const char* program, std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const std::string exe = std::string("Z:") + program;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        bench::ThrowLastError("starting " + exe);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// A symbolic link made on the Unix side of the prefix, which Windows
// programs see as a folder that is a reparse point (Wine cannot make one
// through the Windows calls); removed again at scope exit.
class FolderLink {
public:
    FolderLink(const std::string& link, const std::string& target) : link_(link)
    {
        const size_t slash = link.find_last_of('\\');
        unix_ = UnixPath(link.substr(0, slash)) + "/" + link.substr(slash + 1);
        RunUnix("/bin/ln", "ln -s \"" + UnixPath(target) + "\" \"" + unix_ + "\"");
        bench::WaitUntil([&] { return bench::Exists(link_); }, "the link " + link_);
        if (!(GetFileAttributesA(link_.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
            throw bench::Error(link_ + " is no reparse point");
    }
    ~FolderLink()
    {
        RunUnix("/bin/rm", "rm \"" + unix_ + "\"");
        bench::PollUntil([&] { return !bench::Exists(link_); }, bench::DefaultTimeout());
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

private:
    std::string link_, unix_;
};

class ReplayTest : public ::testing::Test {
protected:
    void Log(const std::string& text) { bench::WriteFile(tmp / "PtvUnInst.log", text); }
    std::string LogPath() const { return tmp / "PtvUnInst.log"; }

    bench::ScopedTempDir tmp{"replay "};
};

TEST_F(ReplayTest, GroupGoesAfterItsShortcutsAndTakesItsEmptyParents)
{
    const std::string programs = tmp / "Programs", group = programs + "\\Tools\\Pictavo 6";
    PutFile(programs + "\\other.txt", "the Programs folder is not empty");
    const char* links[] = {"Pictavo 6.lnk", "Pictavo 6 Help.lnk", "Read about Pictavo 6.lnk", "Uninstall Pictavo 6.lnk"};
    std::string log = "Made Dir: " + group + "\r\n";
    for (const char* link : links) {
        PutFile(group + "\\" + link, "shortcut");
        log += "Shell Link: " + group + "\\" + link + "\r\n";
    }
    Log(log);
    ReplayLinksAndFolders(LogPath().c_str());
    EXPECT_EQ(ListTree(programs), Tree{"other.txt"});
}

TEST_F(ReplayTest, GroupThatStillHoldsAFileStaysWithItsParents)
{
    const std::string group = tmp / "Programs\\Tools\\Pictavo 6";
    PutFile(group + "\\Pictavo 6.lnk", "shortcut");
    PutFile(group + "\\added by the user.txt", "x");
    Log("Shell Link: " + group + "\\Pictavo 6.lnk\r\nMade Dir: " + group + "\r\n");
    ReplayLinksAndFolders(LogPath().c_str());
    EXPECT_EQ(ListTree(tmp / "Programs"), (Tree{"Tools\\", "Tools\\Pictavo 6\\", "Tools\\Pictavo 6\\added by the user.txt"}));
}

TEST_F(ReplayTest, ShellLinkRecordsDeleteOnlyShortcutFiles)
{
    for (const char* name : {"a.lnk", "b.LNK", "c.txt", "d.lnk.exe", "lnk"})
        PutFile(tmp / name, "x");
    Log("Shell Link: " + (tmp / "a.lnk") + "\r\nShell Link: " + (tmp / "b.LNK") + "\r\nShell Link: " + (tmp / "c.txt") +
        "\r\nShell Link: " + (tmp / "d.lnk.exe") + "\r\nShell Link: " + (tmp / "lnk") + "\r\nshell link: " +
        (tmp / "a.lnk") + "\r\n");
    ReplayLinksAndFolders(LogPath().c_str());
    EXPECT_EQ(ListTree(tmp.Path()), (Tree{"c.txt", "d.lnk.exe", "lnk", "PtvUnInst.log"}));
}

TEST_F(ReplayTest, MissingLogDoesNothing)
{
    PutFile(tmp / "product\\a.dll", "a");
    ReplayLinksAndFolders((tmp / "none.log").c_str());
    ReplayFileRecords((tmp / "none.log").c_str(), (tmp / "product").c_str(), nullptr);
    EXPECT_EQ(ListTree(tmp.Path()), (Tree{"product\\", "product\\a.dll"}));
}

TEST_F(ReplayTest, FileRecordsOfEveryKindAndShape)
{
    const std::string product = tmp / "Pictavo 6";
    for (const char* name : {"a.dll", "sub\\a.dll", "sub\\b.dll", "sub\\keep.txt", "new.dll", "old.dll", "remark.txt",
                             "hidden.txt", "case.txt", "x64.dll", "ind.dll", "over.dat", "del.dat", "m\\n\\"}) {
        std::string path = bench::Join(product, name);
        if (path.back() == '\\')
            bench::MakeDirs(path);
        else
            PutFile(path, name);
    }
    SetFileAttributesA(bench::Join(product, "hidden.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    Log("Make Dir: m\r\n"
        "Make Dir: m\\n\r\n"
        "File Copy: sub\\*.dll\r\n"
        "File Copy: new.dll > old.dll\r\n"
        "File Copy: remark.txt | removed, although no file of this whole name was ever copied\r\n"
        "File Copy: hidden.txt\r\n"
        "file copy: case.txt\r\n"
        "File Copy x64: x64.dll\r\n"
        "File Copy ind: ind.dll\r\n"
        "File Overwrite: over.dat \t\r\n"
        "File Del: del.dat\r\n");
    ReplayFileRecords(LogPath().c_str(), (product + "\\").c_str(), nullptr);
    // The parent folder's record came first, when the subfolder was still there.
    EXPECT_EQ(ListTree(product), (Tree{"a.dll", "case.txt", "m\\", "new.dll", "sub\\", "sub\\keep.txt"}));

    // A second replay of the same folder records takes the parent as well.
    ReplayFileRecords(LogPath().c_str(), product.c_str(), nullptr);
    EXPECT_EQ(ListTree(product), (Tree{"a.dll", "case.txt", "new.dll", "sub\\", "sub\\keep.txt"}));
}

TEST_F(ReplayTest, SinglePrefixLimitsTheFilesButNotTheFolders)
{
    const std::string product = tmp / "Pictavo 6";
    PutFile(product + "\\copied.txt", "c");
    PutFile(product + "\\deleted.txt", "d");
    bench::MakeDirs(product + "\\empty");
    Log("File Copy: copied.txt\r\nFile Del: deleted.txt\r\nMake Dir: empty\r\n");
    ReplayFileRecords(LogPath().c_str(), product.c_str(), "File Del: ");
    EXPECT_EQ(ListTree(product), Tree{"copied.txt"});
}

TEST_F(ReplayTest, RecordsNeverReachOutsideTheFolder)
{
    // Beside the product folder: what a log must not be able to remove.
    const std::string outside = tmp.Path(), product = tmp / "product";
    const std::string rooted = outside.substr(2);  // without the drive
    for (const char* name : {"victim.txt", "victim.dll", "linked\\l.dll", "product\\own.dll"})
        PutFile(bench::Join(outside, name), name);
    for (const char* name : {"victimdir", "victimdir2", "victimdir3", "linked\\inner"})
        bench::MakeDirs(bench::Join(outside, name));
    FolderLink link(product + "\\link", outside + "\\linked");
    Log("File Copy: " + outside + "\\victim.txt\r\n"
        "File Del: " + rooted + "\\victim.txt\r\n"
        "File Copy: /" + rooted.substr(1) + "\\victim.dll\r\n"
        "File Copy: ..\\victim.txt\r\n"
        "File Copy: ./../victim.dll\r\n"
        "File Overwrite: own.dll\\..\\..\\victim.dll\r\n"
        "File Del: x.dll > ..\\*.dll\r\n"
        "File Copy: .. \\victim.txt\r\n"
        "File Copy: ...\\victim.txt\r\n"
        "File Copy x64: link\\*.dll\r\n"
        "File Copy ind: link/l.dll\r\n"
        "Make Dir: ..\\victimdir\r\n"
        "Make Dir: " + outside + "\\victimdir2\r\n"
        "Make Dir: " + rooted + "\\victimdir3\r\n"
        "Make Dir: link\\inner\r\n"
        "Make Dir: link\r\n");
    ReplayFileRecords(LogPath().c_str(), product.c_str(), nullptr);
    EXPECT_EQ(ListTree(outside), (Tree{"linked\\", "linked\\inner\\", "linked\\l.dll", "product\\", "product\\link\\",
                                       "product\\link\\inner\\", "product\\link\\l.dll", "product\\own.dll",
                                       "PtvUnInst.log", "victim.dll", "victim.txt", "victimdir\\", "victimdir2\\",
                                       "victimdir3\\"}));
}

TEST_F(ReplayTest, DeleteMatchingFilesClearsAttributesFirstAndLeavesFolders)
{
    const std::string folder = tmp / "Pictavo 6";
    PutFile(folder + "\\a.txt", "a");
    PutFile(folder + "\\b.dll", "b");
    bench::MakeDirs(folder + "\\sub");
    PutFile(folder + "\\sub\\c.txt", "c");
    SetFileAttributesA((folder + "\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesA((folder + "\\sub").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);

    DeleteMatchingFiles("*.*", (folder + "/").c_str());
    EXPECT_EQ(ListTree(folder), (Tree{"sub\\", "sub\\c.txt"}));
    const DWORD readOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(GetFileAttributesA((folder + "\\sub").c_str()) & readOnlyHidden, 0u) << "a folder entry";
    EXPECT_EQ(GetFileAttributesA(folder.c_str()) & readOnlyHidden, 0u) << "the folder itself, as \".\"";

    // The subfolder part of the pattern is kept: only sub's file goes.
    PutFile(folder + "\\c.txt", "same name, other folder");
    DeleteMatchingFiles("sub\\*.txt", folder.c_str());
    EXPECT_EQ(ListTree(folder), (Tree{"c.txt", "sub\\"}));

    // An empty folder means the current folder.
    {
        enginetest::ScopedCurrentDir cwd(folder);
        DeleteMatchingFiles("c.txt", "");
    }
    EXPECT_EQ(ListTree(folder), Tree{"sub\\"});
}

}  // namespace
