// recorder.exe: the bench's stand-in for a web browser. The shell starts it
// with the address as its first argument; it appends that argument as one
// line to the file beside itself that has its own name with the extension
// ".log", and ends. Nothing is shown.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH * 2] = "";
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string log(self, n);
    size_t dot = log.find_last_of('.');
    if (dot != std::string::npos && dot > log.find_last_of("\\/"))
        log.erase(dot);
    log += ".log";

    std::string line = (__argc > 1 ? __argv[1] : "");
    line += "\r\n";
    HANDLE h = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 2;
    DWORD written = 0;
    // One write for the whole line, so that recorders running at the same
    // time do not mix their lines.
    BOOL ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == line.size() ? 0 : 3;
}
