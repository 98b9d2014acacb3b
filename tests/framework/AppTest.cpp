// The application object run through the framework's entry point, as a real
// process: the title from the string table, the module state, and the end
// of the program after InitInstance.
#include <gtest/gtest.h>
#include "bench/Process.h"
#include "framework/String.h"

#include <stdio.h>

namespace {

// Runs app_probe with the mode; its exit code.
DWORD RunAppProbe(const char* outFile, const char* mode)
{
    bench::StartOptions options;
    options.commandLine = bench::CommandLine(bench::BesideExe("app_probe.exe"), { outFile, mode });
    return bench::Process::Start(bench::BesideExe("app_probe.exe"), options).WaitExit();
}

CString ReadAll(const char* path)
{
    CString text;
    FILE* f = fopen(path, "r");
    if (!f)
        return text;
    char line[256];
    while (fgets(line, sizeof line, f))
        text += line;
    fclose(f);
    return text;
}

}  // namespace

TEST(CWinApp, InitInstanceResultEndsTheProgram)
{
    char temp[MAX_PATH], out[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "app", 0, out);
    // FALSE ends at once; TRUE without a main window leaves the message loop
    // at once; with a main window the loop runs until that window is gone.
    for (const char* mode : { "false", "true", "mainwnd" }) {
        DeleteFileA(out);
        EXPECT_EQ(0u, RunAppProbe(out, mode)) << mode;
        CString report = ReadAll(out);
        EXPECT_NE(-1, report.Find("title=Framework Test Title\n")) << mode << ": " << report.GetString();
        EXPECT_NE(-1, report.Find("instance_is_exe=1\n")) << report.GetString();
        EXPECT_NE(-1, report.Find("resource_is_exe=1\n")) << report.GetString();
    }
    DeleteFileA(out);
}
