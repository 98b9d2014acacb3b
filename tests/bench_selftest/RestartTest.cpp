// The restart of the prefix carries out delayed file operations, on both
// roads: the system's pending operations and WININIT.INI.
#include <gtest/gtest.h>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Restart.h"

namespace {

// Deleting a file before renaming another onto its name works only in that
// order: the other order leaves no file at all. Both roads are checked
// with this pattern.
struct Pattern {
    bench::ScopedTempDir dir{"restart "};
    std::string kept = dir / "kept.txt";          // deleted
    std::string staged = dir / "staged.new";      // renamed onto `replaced`
    std::string replaced = dir / "replaced.txt";  // deleted first, then replaced
    Pattern()
    {
        bench::WriteFile(kept, "old kept");
        bench::WriteFile(staged, "new content");
        bench::WriteFile(replaced, "old content");
    }
    void ExpectCarriedOut() const
    {
        EXPECT_FALSE(bench::Exists(kept));
        EXPECT_FALSE(bench::Exists(staged));
        EXPECT_EQ(bench::ReadFile(replaced).value_or("(missing)"), "new content");
    }
};

TEST(Restart, CarriesOutPendingOperationsInOrder)
{
    bench::ScopedPrefixLock lock;
    Pattern p;
    ASSERT_TRUE(MoveFileExA(p.kept.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExA(p.replaced.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExA(p.staged.c_str(), p.replaced.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));

    auto pending = bench::PendingRenames();
    ASSERT_GE(pending.size(), 3u);
    const auto* last = &pending[pending.size() - 3];
    EXPECT_EQ(last[0].source, p.kept);
    EXPECT_EQ(last[0].target, "");
    EXPECT_EQ(last[1].source, p.replaced);
    EXPECT_EQ(last[2].source, p.staged);
    EXPECT_EQ(last[2].target, p.replaced);
    EXPECT_FALSE(last[2].replaceExisting);
    EXPECT_TRUE(bench::Exists(p.kept)) << "nothing happens before the restart";

    bench::RestartPrefix();
    p.ExpectCarriedOut();
    EXPECT_TRUE(bench::PendingRenames().empty());
}

TEST(Restart, DeniedDelayedOperationsGoThroughWininit)
{
    bench::ScopedPrefixLock lock;
    Pattern p;
    {
        bench::ScopedDenyDelayedOps deny;
        // (Wine reports the failure without setting an error code.)
        EXPECT_FALSE(MoveFileExA(p.kept.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
        EXPECT_FALSE(MoveFileExA(p.staged.c_str(), p.replaced.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
        // What a program writes on that road, one line per request.
        std::string lines = "NUL=" + p.kept + std::string(1, '\0') + "NUL=" + p.replaced + std::string(1, '\0') +
                            p.replaced + "=" + p.staged + std::string(2, '\0');
        ASSERT_TRUE(WritePrivateProfileSectionA("rename", lines.c_str(), "WININIT.INI"));
    }
    EXPECT_TRUE(bench::PendingRenames().empty());
    auto lines = bench::WininitRenames();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::make_pair(std::string("NUL"), p.kept));
    EXPECT_EQ(lines[2], std::make_pair(p.replaced, p.staged));

    bench::RestartPrefix();
    p.ExpectCarriedOut();
    EXPECT_TRUE(bench::WininitRenames().empty());
}

TEST(Restart, DenyScopeRestoresTheKeysSecurity)
{
    bench::ScopedTempDir dir;
    const std::string f = dir / "f.txt";
    bench::WriteFile(f, "x");
    { bench::ScopedDenyDelayedOps deny; }
    ASSERT_TRUE(MoveFileExA(f.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << "allowed again after the scope";
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(f));
}

TEST(Restart, RecoversFromATestThatDiedInsideTheDenyScope)
{
    bench::Process child = bench::Process::Start(bench::BesideExe("bench_deny_and_die.exe"));
    ASSERT_EQ(child.WaitExit(), 9u);

    bench::ScopedTempDir dir;
    const std::string f = dir / "f.txt";
    bench::WriteFile(f, "x");
    EXPECT_FALSE(MoveFileExA(f.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << "the dead scope left it denied";
    bench::RestartPrefix();
    ASSERT_TRUE(MoveFileExA(f.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << "the restart put the DACL back";
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(f));
}

}  // namespace
