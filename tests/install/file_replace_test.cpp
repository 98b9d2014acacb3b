// Putting one file in place: the plain roads, and the roads of a target in
// use with real causes (a running program, a file held open without
// sharing), completed by a restart of the prefix.
#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Restart.h"
#include "install/FileReplace.h"

namespace {

// A file opened without sharing: it can be neither deleted nor renamed
// while the handle is open.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : h_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        EXPECT_NE(h_, INVALID_HANDLE_VALUE) << "opening " << path;
    }
    ~HeldOpen() { Release(); }
    void Release()
    {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
private:
    HANDLE h_;
};

// The waiter program copied to `path` and running from there.
bench::Process StartRunningCopy(const std::string& path)
{
    bench::StartOptions options;
    options.copyTo = path;
    options.commandLine = bench::CommandLine(path, {std::to_string(GetCurrentProcessId())});
    bench::Process process = bench::Process::Start(bench::BesideExe("engine_waiter.exe"), options);
    EXPECT_TRUE(process.Running());
    return process;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

// The prefix's pending restart operations on files of one folder, in the
// order in which the restart carries them out.
std::vector<bench::PendingRename> PendingIn(const std::string& folder)
{
    std::vector<bench::PendingRename> mine;
    for (const bench::PendingRename& p : bench::PendingRenames())
        if (_strnicmp(p.source.c_str(), folder.c_str(), folder.size()) == 0)
            mine.push_back(p);
    return mine;
}

class InstallFileTest : public ::testing::Test {
protected:
    // Restart operations are prefix-wide: no other test program meets ours.
    bench::ScopedPrefixLock lock;
    bench::ScopedTempDir src{"src"};
    bench::ScopedTempDir dst{"dst"};
};

TEST_F(InstallFileTest, SameFolderWithoutNewNameIsAlreadyInPlace)
{
    bench::WriteFile(src / "a.txt", "content");
    std::string upper = src.Path();
    CharUpperA(&upper[0]);
    for (const std::string& folder : {src.Path(), upper, src.Path() + "\\", src.Path() + "/"}) {
        EXPECT_TRUE(InstallFile("a.txt", src.Path().c_str(), folder.c_str(), nullptr)) << folder;
        EXPECT_EQ(bench::ReadFile(src / "a.txt"), "content") << folder;
        EXPECT_EQ(bench::ListDir(src.Path()), std::vector<std::string>{"a.txt"}) << folder;
    }
}

TEST_F(InstallFileTest, MissingSourceFailsAndTouchesNothing)
{
    bench::WriteFile(dst / "a.txt", "old");
    EXPECT_FALSE(InstallFile("a.txt", src.Path().c_str(), dst.Path().c_str(), nullptr));
    EXPECT_FALSE(InstallFile("a.txt", src.Path().c_str(), dst.Path().c_str(), "b.txt"));
    EXPECT_EQ(bench::ReadFile(dst / "a.txt"), "old");
    EXPECT_EQ(bench::ListDir(dst.Path()), std::vector<std::string>{"a.txt"});
}

TEST_F(InstallFileTest, CopiesIntoTheFolderUnderItsOwnOrANewName)
{
    bench::WriteFile(src / "a.txt", "new");
    EXPECT_TRUE(InstallFile("a.txt", (src.Path() + "\\").c_str(), (dst.Path() + "/").c_str(), nullptr));
    EXPECT_TRUE(InstallFile("a.txt", src.Path().c_str(), dst.Path().c_str(), "b c.txt"));
    EXPECT_EQ(bench::ReadFile(dst / "a.txt"), "new");
    EXPECT_EQ(bench::ReadFile(dst / "b c.txt"), "new");
}

TEST_F(InstallFileTest, ReadOnlyHiddenTargetIsReplacedWithTheSourceAttributes)
{
    bench::WriteFile(src / "a.txt", "new");
    SetFileAttributesA((src / "a.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE);
    bench::WriteFile(dst / "a.txt", "old");
    SetFileAttributesA((dst / "a.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    EXPECT_TRUE(InstallFile("a.txt", src.Path().c_str(), dst.Path().c_str(), nullptr));
    EXPECT_EQ(bench::ReadFile(dst / "a.txt"), "new");
    EXPECT_EQ(GetFileAttributesA((dst / "a.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(bench::ListDir(dst.Path()), std::vector<std::string>{"a.txt"}) << "nothing set aside";
}

TEST_F(InstallFileTest, SameFolderWithNewName)
{
    bench::WriteFile(src / "a.txt", "new");
    bench::WriteFile(src / "b.txt", "old");
    EXPECT_TRUE(InstallFile("a.txt", src.Path().c_str(), src.Path().c_str(), "b.txt"));
    EXPECT_EQ(bench::ReadFile(src / "b.txt"), "new");
    EXPECT_EQ(bench::ReadFile(src / "a.txt"), "new");

    // The new name spells the source itself: it must not be deleted.
    EXPECT_TRUE(InstallFile("a.txt", src.Path().c_str(), src.Path().c_str(), "A.TXT"));
    EXPECT_EQ(bench::ReadFile(src / "a.txt"), "new");

    // A target that cannot be deleted stays as it is, and that is a failure.
    bench::WriteFile(src / "b.txt", "old");
    {
        HeldOpen hold(src / "b.txt");
        EXPECT_FALSE(InstallFile("a.txt", src.Path().c_str(), src.Path().c_str(), "b.txt"));
    }
    EXPECT_EQ(bench::ReadFile(src / "b.txt"), "old");
    EXPECT_EQ(bench::ListDir(src.Path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(InstallFileTest, NameWithSubfolderGoesToTheSameSubfolder)
{
    bench::MakeDirs(src / "sub");
    bench::WriteFile(src / "sub\\x.dll", "x");
    EXPECT_FALSE(InstallFile("sub\\x.dll", src.Path().c_str(), dst.Path().c_str(), nullptr))
        << "the subfolder is not created";
    EXPECT_FALSE(bench::Exists(dst / "sub"));

    bench::MakeDirs(dst / "sub");
    EXPECT_TRUE(InstallFile("sub\\x.dll", src.Path().c_str(), dst.Path().c_str(), nullptr));
    EXPECT_EQ(bench::ReadFile(dst / "sub\\x.dll"), "x");
    EXPECT_TRUE(InstallFile("sub\\x.dll", src.Path().c_str(), dst.Path().c_str(), "y.dll"));
    EXPECT_EQ(bench::ReadFile(dst / "y.dll"), "x");
}

TEST_F(InstallFileTest, RunningProgramGoesAsideAndTheAsideFileGoesAtRestart)
{
    const std::string target = dst / "Pictavo6.exe";
    bench::WriteFile(src / "Pictavo6.exe", "new program");
    bench::Process running = StartRunningCopy(target);
    ASSERT_FALSE(DeleteFileA(target.c_str())) << "a running program's file cannot be deleted";

    EXPECT_TRUE(InstallFile("Pictavo6.exe", src.Path().c_str(), dst.Path().c_str(), nullptr));
    EXPECT_EQ(bench::ReadFile(target), "new program") << "in place at once";
    EXPECT_TRUE(bench::IsFile(target + ".old"));
    std::vector<bench::PendingRename> pending = PendingIn(dst.Path());
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_TRUE(SamePath(pending[0].source, target + ".old"));
    EXPECT_EQ(pending[0].target, "");

    running.Terminate();
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(target + ".old"));
    EXPECT_EQ(bench::ReadFile(target), "new program");
}

TEST_F(InstallFileTest, LockedAsideFileLeadsToASecondAsideName)
{
    const std::string target = dst / "Pictavo6.exe";
    bench::WriteFile(src / "Pictavo6.exe", "new program");
    bench::WriteFile(target + ".old", "left by an earlier update");
    bench::WriteFile(target + ".old2", "stale");
    bench::Process running = StartRunningCopy(target);
    HeldOpen lockedAside(target + ".old");

    EXPECT_TRUE(InstallFile("Pictavo6.exe", src.Path().c_str(), dst.Path().c_str(), nullptr));
    EXPECT_EQ(bench::ReadFile(target), "new program");
    EXPECT_TRUE(bench::IsFile(target + ".old2"));
    EXPECT_NE(bench::ReadFile(target + ".old2"), "stale") << "the running program went to .old2";
    std::vector<bench::PendingRename> pending = PendingIn(dst.Path());
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_TRUE(SamePath(pending[0].source, target + ".old"));
    EXPECT_EQ(pending[0].target, "");
    EXPECT_TRUE(SamePath(pending[1].source, target + ".old2"));
    EXPECT_EQ(pending[1].target, "");

    lockedAside.Release();
    EXPECT_EQ(bench::ReadFile(target + ".old"), "left by an earlier update");
    running.Terminate();
    bench::RestartPrefix();
    EXPECT_EQ(bench::ListDir(dst.Path()), std::vector<std::string>{"Pictavo6.exe"});
}

TEST_F(InstallFileTest, FileHeldOpenIsStagedAndReplacedAtRestart)
{
    const std::string target = dst / "Pictavo6.dll";
    bench::WriteFile(src / "Pictavo6.dll", "new library");
    bench::WriteFile(target, "old library");
    bench::WriteFile(target + ".new", "stale staging file");
    HeldOpen hold(target);

    EXPECT_FALSE(InstallFile("Pictavo6.dll", src.Path().c_str(), dst.Path().c_str(), nullptr))
        << "the target still has the old content";
    EXPECT_EQ(bench::ReadFile(target + ".new"), "new library");
    std::vector<bench::PendingRename> pending = PendingIn(dst.Path());
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_TRUE(SamePath(pending[0].source, target)) << "the target goes first";
    EXPECT_EQ(pending[0].target, "");
    EXPECT_TRUE(SamePath(pending[1].source, target + ".new"));
    EXPECT_TRUE(SamePath(pending[1].target, target));

    hold.Release();
    EXPECT_EQ(bench::ReadFile(target), "old library");
    bench::RestartPrefix();
    EXPECT_EQ(bench::ReadFile(target), "new library");
    EXPECT_EQ(bench::ListDir(dst.Path()), std::vector<std::string>{"Pictavo6.dll"});
}

}  // namespace
