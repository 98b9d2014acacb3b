// bench_probe.exe: a small program that the bench's own tests start as a
// child process. What it does is chosen by its first argument:
//   report OUT CODE [NAME...]  writes "module=", "cwd=", "arg=" lines and
//                              one "NAME=value" line per name ("NAME" alone
//                              when unset) to OUT, ends with exit code CODE
//   msgbox TEXT CAPTION FLAGS  shows MessageBoxA(NULL, TEXT, CAPTION, FLAGS)
//                              and ends with its result as exit code
//   browse OUT                 shows the folder browser and writes the
//                              chosen path, or "(cancelled)", to OUT
//   wait FILE                  runs until FILE exists (at most 60 s)
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

namespace {

void Write(const std::string& path, const std::string& text)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        ExitProcess(100);
    DWORD n = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(h);
}

int Report(int argc, char** argv)
{
    if (argc < 4)
        return 101;
    std::string out;
    char buf[32768];
    buf[0] = '\0';
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    out += std::string("module=") + buf + "\n";
    buf[0] = '\0';
    GetCurrentDirectoryA(sizeof buf, buf);
    out += std::string("cwd=") + buf + "\n";
    for (int i = 1; i < argc; ++i)
        out += std::string("arg=") + argv[i] + "\n";
    for (int i = 4; i < argc; ++i) {
        DWORD n = GetEnvironmentVariableA(argv[i], buf, sizeof buf);
        out += std::string(argv[i]) + (n ? std::string("=") + buf : std::string()) + "\n";
    }
    Write(argv[2], out);
    return std::atoi(argv[3]);
}

int Browse(int argc, char** argv)
{
    if (argc < 3)
        return 101;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char name[MAX_PATH] = "";
    BROWSEINFOA bi = {};
    bi.pszDisplayName = name;
    bi.lpszTitle = "Probe: pick a folder";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
    std::string result = "(cancelled)";
    if (pidl) {
        char path[MAX_PATH] = "";
        result = SHGetPathFromIDListA(pidl, path) ? path : "(no path)";
        CoTaskMemFree(pidl);
    }
    Write(argv[2], result);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = __argc;
    char** argv = __argv;
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "report")
        return Report(argc, argv);
    if (mode == "msgbox" && argc >= 5)
        return MessageBoxA(nullptr, argv[2], argv[3], static_cast<UINT>(std::strtoul(argv[4], nullptr, 0)));
    if (mode == "browse")
        return Browse(argc, argv);
    if (mode == "wait" && argc >= 3) {
        for (int i = 0; i < 6000; ++i) {
            if (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES)
                return 0;
            Sleep(10);
        }
        return 1;
    }
    return 99;
}
