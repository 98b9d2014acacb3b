// Child processes: command line, current folder, environment, copies under
// another name, exit codes.
#include <gtest/gtest.h>

#include <sstream>

#include "bench/Files.h"
#include "bench/Process.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

TEST(Process, StartsWithCurrentFolderEnvironmentAndExitCode)
{
    bench::ScopedTempDir dir("with blank ");
    const std::string out = dir / "report.txt";
    SetEnvironmentVariableA("BENCH_INHERITED", "from the test");
    SetEnvironmentVariableA("BENCH_REMOVED", "should go");
    bench::StartOptions opt;
    opt.commandLine = bench::CommandLine(bench::BesideExe("bench_probe.exe"),
                                         {"report", out, "7", "BENCH_NEW", "BENCH_INHERITED", "BENCH_REMOVED"});
    opt.currentDir = dir.Path();
    opt.env = {{"BENCH_NEW", "a value with blanks"}, {"BENCH_REMOVED", ""}};
    bench::Process p = bench::Process::Start(bench::BesideExe("bench_probe.exe"), opt);
    EXPECT_EQ(p.WaitExit(), 7u);
    SetEnvironmentVariableA("BENCH_INHERITED", nullptr);
    SetEnvironmentVariableA("BENCH_REMOVED", nullptr);

    auto lines = Lines(bench::ReadFile(out).value_or(""));
    ASSERT_EQ(lines.size(), 11u) << bench::ReadFile(out).value_or("");
    EXPECT_EQ(lines[1], "cwd=" + dir.Path());
    EXPECT_EQ(lines[3], "arg=" + out) << "an argument with blanks arrives whole";
    EXPECT_EQ(lines[8], "BENCH_NEW=a value with blanks");
    EXPECT_EQ(lines[9], "BENCH_INHERITED=from the test");
    EXPECT_EQ(lines[10], "BENCH_REMOVED");
}

TEST(Process, RunsACopyUnderAnotherName)
{
    bench::ScopedTempDir dir;
    const std::string copy = dir / "sub folder\\My Probe.EXE";
    const std::string out = dir / "report.txt";
    bench::StartOptions opt;
    opt.copyTo = copy;
    opt.commandLine = bench::CommandLine(copy, {"report", out, "0"});
    bench::Process p = bench::Process::Start(bench::BesideExe("bench_probe.exe"), opt);
    EXPECT_EQ(p.Path(), copy);
    EXPECT_EQ(p.WaitExit(), 0u);
    auto lines = Lines(bench::ReadFile(out).value_or(""));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "module=" + copy);
}

TEST(Process, WaitsTerminatesAndSeesTheEnd)
{
    bench::ScopedTempDir dir;
    const std::string flag = dir / "go";
    bench::StartOptions opt;
    opt.commandLine = bench::CommandLine(bench::BesideExe("bench_probe.exe"), {"wait", flag});
    bench::Process p = bench::Process::Start(bench::BesideExe("bench_probe.exe"), opt);
    EXPECT_TRUE(p.Running());
    EXPECT_THROW(p.WaitExit(100), bench::Error);
    EXPECT_FALSE(bench::WaitProcessGone(p.Pid(), 100));
    bench::WriteFile(flag, "");
    EXPECT_TRUE(bench::WaitProcessGone(p.Pid()));
    EXPECT_EQ(p.WaitExit(), 0u);

    bench::Process q = bench::Process::Start(bench::BesideExe("bench_probe.exe"), opt);
    bench::RemoveTree(flag);
    bench::Process r = bench::Process::Start(bench::BesideExe("bench_probe.exe"), opt);
    q.Terminate(42);
    EXPECT_EQ(q.WaitExit(), 42u);
    DWORD pid = r.Pid();
    { bench::Process gone = std::move(r); }  // the destructor ends a running child
    EXPECT_TRUE(bench::WaitProcessGone(pid, 1000));
}

TEST(Process, QuotesArgumentsTheWayTheRuntimeSplitsThem)
{
    const std::vector<std::string> awkward = {
        "plain", "with blank", "", "trailing\\", "C:\\Program Files\\x\\", "quo\"te", "back\\\\\"slash", "\t"};
    std::string cmd = bench::CommandLine("C:\\some dir\\prog.exe", awkward);
    std::wstring wcmd(cmd.begin(), cmd.end());
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(wcmd.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(argc, static_cast<int>(awkward.size()) + 1);
    EXPECT_EQ(std::wstring(argv[0]), L"C:\\some dir\\prog.exe");
    for (size_t i = 0; i < awkward.size(); ++i)
        EXPECT_EQ(std::wstring(argv[i + 1]), std::wstring(awkward[i].begin(), awkward[i].end())) << cmd;
    LocalFree(argv);
}

}  // namespace
