// File operations carried out at the next start of Windows, on both roads:
// the system's delayed operations, and the section "rename" of WININIT.INI
// when those are denied. A restart of the prefix carries them out.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/Files.h"
#include "bench/Restart.h"
#include "bench/Wait.h"
#include "uninstall/RestartOps.h"

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The entries of PendingFileRenameOperations that concern a folder, in
// their order.
std::vector<bench::PendingRename> PendingIn(const std::string& folder)
{
    std::vector<bench::PendingRename> out;
    for (const bench::PendingRename& r : bench::PendingRenames())
        if (r.source.size() > folder.size() && SamePath(r.source.substr(0, folder.size()), folder))
            out.push_back(r);
    return out;
}

// WININIT.INI and WININIT.BAK as they were, put back when the test ends (a
// restart renames the one to the other).
class ScopedWininit {
public:
    ScopedWininit() : ini_(Saved(bench::WininitPath())), bak_(Saved(BakPath())) {}
    ~ScopedWininit()
    {
        Restore(ini_);
        Restore(bak_);
    }
    void Remove() { DeleteFileA(bench::WininitPath().c_str()); }

private:
    using File = std::pair<std::string, std::optional<std::string>>;
    static std::string BakPath()
    {
        std::string p = bench::WininitPath();
        return p.substr(0, p.size() - 3) + "BAK";
    }
    static File Saved(const std::string& path) { return {path, bench::ReadFile(path)}; }
    static void Restore(const File& f)
    {
        if (f.second)
            bench::WriteFile(f.first, *f.second);
        else
            DeleteFileA(f.first.c_str());
    }
    File ini_, bak_;
};

class RestartOps : public ::testing::Test {
protected:
    bench::ScopedPrefixLock lock_;
    bench::ScopedTempDir dir_{"restart ops"};
};

}  // namespace

// A deletion scheduled before a rename onto the same path makes room for
// it: the order of the requests is kept.
TEST_F(RestartOps, DelayedOperationsRunInTheOrderRequested)
{
    const std::string target = dir_ / "Pictavo6.exe";
    const std::string staged = dir_ / "Pictavo6.exe.new";
    const std::string aside = dir_ / "aside.old";
    bench::WriteFile(target, "old");
    bench::WriteFile(staged, "new");
    bench::WriteFile(aside, "aside");

    ScheduleDeleteAtRestart(target.c_str());
    ScheduleRenameAtRestart(staged.c_str(), target.c_str());
    ScheduleDeleteAtRestart(aside.c_str());

    std::vector<bench::PendingRename> pending = PendingIn(dir_.Path());
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_TRUE(SamePath(pending[0].source, target) && pending[0].target.empty());
    EXPECT_TRUE(SamePath(pending[1].source, staged) && SamePath(pending[1].target, target));
    EXPECT_TRUE(SamePath(pending[2].source, aside) && pending[2].target.empty());
    EXPECT_EQ(bench::ReadFile(target), std::optional<std::string>("old")) << "nothing happens before the restart";

    bench::RestartPrefix();
    EXPECT_EQ(bench::ReadFile(target), std::optional<std::string>("new"));
    EXPECT_FALSE(bench::Exists(staged));
    EXPECT_FALSE(bench::Exists(aside));
}

// Without the rights for delayed operations the requests go to WININIT.INI:
// after the lines that were there, in the order requested; the restart
// carries out all of them.
TEST_F(RestartOps, DeniedRequestsAreAppendedToWininit)
{
    ScopedWininit wininit;
    const std::string earlier = dir_ / "earlier.tmp";
    const std::string earlierFrom = dir_ / "earlier rename.tmp";
    const std::string earlierTo = dir_ / "earlier renamed.tmp";
    const std::string first = dir_ / "first.tmp";
    const std::string second = dir_ / "second.tmp";
    const std::string staged = dir_ / "Pictavo6.exe.new";
    const std::string target = dir_ / "Pictavo6.exe";
    for (const std::string& f : {earlier, earlierFrom, first, second, staged})
        bench::WriteFile(f, f);
    bench::WriteFile(target, "old");
    const Lines before = {{"NUL", earlier}, {earlierTo, earlierFrom}};
    std::string section = "[rename]\r\n";
    for (const auto& l : before)
        section += l.first + "=" + l.second + "\r\n";
    bench::WriteFile(bench::WininitPath(), "[other]\r\nkey=value\r\n" + section);

    {
        bench::ScopedDenyDelayedOps deny;
        ScheduleDeleteAtRestart(first.c_str());
        ScheduleDeleteAtRestart(second.c_str());
        ScheduleDeleteAtRestart(target.c_str());
        ScheduleRenameAtRestart(staged.c_str(), target.c_str());
    }
    EXPECT_TRUE(PendingIn(dir_.Path()).empty()) << "the system's delayed operations were not denied";
    Lines expected = before;
    expected.insert(expected.end(), {{"NUL", first}, {"NUL", second}, {"NUL", target}, {target, staged}});
    EXPECT_EQ(bench::WininitRenames(), expected);
    char value[32] = "";
    GetPrivateProfileStringA("other", "key", "", value, sizeof value, "WININIT.INI");
    EXPECT_STREQ(value, "value") << "other sections are kept";

    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(earlier));
    EXPECT_EQ(bench::ReadFile(earlierTo), std::optional<std::string>(earlierFrom));
    EXPECT_FALSE(bench::Exists(first));
    EXPECT_FALSE(bench::Exists(second));
    EXPECT_FALSE(bench::Exists(staged));
    EXPECT_EQ(bench::ReadFile(target), std::optional<std::string>(staged)) << "the staged file took its place";
}

// A section longer than the program's first buffer keeps every line.
TEST_F(RestartOps, ALongSectionKeepsEveryLine)
{
    ScopedWininit wininit;
    Lines before;
    std::string section = "[rename]\r\n";
    for (int i = 0; i < 600; ++i) {
        before.push_back({"NUL", dir_ / ("a file with a rather long name, number " + std::to_string(i) + ".tmp")});
        section += before.back().first + "=" + before.back().second + "\r\n";
    }
    ASSERT_GT(section.size(), 3 * 16384u);
    bench::WriteFile(bench::WininitPath(), section);
    const std::string added = dir_ / "added.tmp";
    {
        bench::ScopedDenyDelayedOps deny;
        ScheduleDeleteAtRestart(added.c_str());
    }
    Lines expected = before;
    expected.push_back({"NUL", added});
    EXPECT_EQ(bench::WininitRenames(), expected);
}

TEST_F(RestartOps, WithoutWininitTheFallbackCreatesIt)
{
    ScopedWininit wininit;
    wininit.Remove();
    const std::string doomed = dir_ / "doomed.tmp";
    bench::WriteFile(doomed, "x");
    {
        bench::ScopedDenyDelayedOps deny;
        ScheduleDeleteAtRestart(doomed.c_str());
    }
    EXPECT_EQ(bench::WininitRenames(), (Lines{{"NUL", doomed}}));
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(doomed));
}
