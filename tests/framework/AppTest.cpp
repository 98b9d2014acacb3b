// The application object run through the framework's entry point, as a real
// process: the title from the string table, the module state, and the end
// of the program after InitInstance.
#include <gtest/gtest.h>
#include "framework/String.h"

#include <stdio.h>

namespace {

CString HelperPath(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    CString p(path);
    return p.Left(p.ReverseFind('\\') + 1) + name;
}

// Runs app_probe with the mode; its exit code, or 999 when it did not end in time.
DWORD RunAppProbe(const char* outFile, const char* mode)
{
    CString cmd;
    cmd.Format("\"%s\" \"%s\" %s", HelperPath("app_probe.exe").GetString(), outFile, mode);
    STARTUPINFOA si = { sizeof si };
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmd.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 998;
    DWORD code = 999;
    if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
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
