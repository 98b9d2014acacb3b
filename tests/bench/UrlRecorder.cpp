#include "bench/UrlRecorder.h"

#include "bench/Process.h"
#include "bench/Wait.h"

namespace bench {

UrlRecorder::UrlRecorder() : dir_("urls ")
{
    exe_ = dir_ / "recorder.exe";
    log_ = dir_ / "recorder.log";
    const std::string original = BesideExe("recorder.exe");
    if (!CopyFileA(original.c_str(), exe_.c_str(), FALSE))
        ThrowLastError("copying " + original + " to " + exe_);
    command_ = "\"" + exe_ + "\" \"%1\"";
    http_.reset(new ScopedRegValue(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "", command_));
    https_.reset(new ScopedRegValue(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", "", command_));
}

UrlRecorder::~UrlRecorder()
{
    // Restore the shell's commands first, then let the recorders end so that
    // the folder can go.
    https_.reset();
    http_.reset();
    PollUntil([&] { return DeleteFileA(exe_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
              DefaultTimeout());
}

std::vector<std::string> UrlRecorder::Addresses() const
{
    std::vector<std::string> out;
    std::string text = ReadFile(log_).value_or(std::string());
    size_t pos = 0;
    for (;;) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            break;  // a line still being written counts when it is complete
        std::string line = text.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
        pos = nl + 1;
    }
    return out;
}

std::vector<std::string> UrlRecorder::WaitForAddresses(size_t n, DWORD timeoutMs) const
{
    std::vector<std::string> got;
    if (!PollUntil([&] { return (got = Addresses()).size() >= n; }, timeoutMs ? timeoutMs : DefaultTimeout())) {
        std::string list;
        for (const std::string& a : got)
            list += " \"" + a + "\"";
        throw Error("timed out waiting for " + std::to_string(n) + " recorded web address(es); recorded " +
                    std::to_string(got.size()) + ":" + list);
    }
    return got;
}

std::vector<std::string> UrlRecorder::AddressesWhenIdle(DWORD timeoutMs) const
{
    const std::string original = BesideExe("recorder.exe");
    if (!PollUntil([&] { return DeleteFileA(exe_.c_str()) != FALSE; }, timeoutMs ? timeoutMs : ProcessTimeout()))
        ThrowLastError("waiting for the recorders to end (deleting " + exe_ + ")");
    if (!CopyFileA(original.c_str(), exe_.c_str(), FALSE))
        ThrowLastError("putting " + exe_ + " back");
    return Addresses();
}

}  // namespace bench
