#include "bench/Wait.h"

#include <cstdlib>

namespace bench {

DWORD DefaultTimeout()
{
    static const DWORD value = [] {
        const char* s = std::getenv("BENCH_TIMEOUT_MS");
        unsigned long v = s ? std::strtoul(s, nullptr, 10) : 0;
        return v ? static_cast<DWORD>(v) : DWORD(5000);
    }();
    return value;
}

DWORD ProcessTimeout() { return 4 * DefaultTimeout(); }

bool PollUntil(const std::function<bool()>& cond, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    DWORD interval = 1;
    for (;;) {
        if (cond())
            return true;
        if (GetTickCount64() >= end)
            return cond();
        Sleep(interval);
        if (interval < 20)
            interval *= 2;
    }
}

void WaitUntil(const std::function<bool()>& cond, const std::string& what, DWORD timeoutMs)
{
    if (timeoutMs == 0)
        timeoutMs = DefaultTimeout();
    if (!PollUntil(cond, timeoutMs))
        throw Error("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what);
}

std::string ErrorText(DWORD code)
{
    char buf[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buf, sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' '))
        buf[--n] = '\0';
    std::string s = "error " + std::to_string(code);
    if (n > 0)
        s += std::string(": ") + buf;
    return s;
}

void ThrowLastError(const std::string& what)
{
    DWORD code = GetLastError();
    throw Error(what + ": " + ErrorText(code));
}

}  // namespace bench
