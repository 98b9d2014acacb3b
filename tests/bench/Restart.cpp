#include "bench/Restart.h"

#include <sddl.h>

#include "bench/Process.h"
#include "bench/Registry.h"
#include "bench/Wait.h"

namespace bench {

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingValue[] = "PendingFileRenameOperations";
// While a deny scope is active, the original security descriptor of the
// Session Manager key is also kept here, so that a test program that died
// inside the scope does not leave the prefix without delayed operations:
// the next scope or restart puts it back.
const char kBenchKey[] = "Software\\Bench";
const char kSavedDaclValue[] = "SessionManagerDacl";

void SaveOriginal(const std::vector<BYTE>& sd)
{
    HKEY k = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBenchKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        throw Error("cannot keep the Session Manager key's DACL under HKLM\\Software\\Bench");
    LONG rc = RegSetValueExA(k, kSavedDaclValue, 0, REG_BINARY, sd.data(), static_cast<DWORD>(sd.size()));
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS)
        throw Error("cannot keep the Session Manager key's DACL: " + ErrorText(rc));
}

void ForgetOriginal() { RegDeleteValue(HKEY_LOCAL_MACHINE, kBenchKey, kSavedDaclValue); }

// Puts back a descriptor that a dead deny scope left in the registry.
void RecoverDeniedDelayedOps()
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBenchKey, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return;
    DWORD size = 0, type = 0;
    std::vector<BYTE> sd;
    if (RegQueryValueExA(k, kSavedDaclValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        sd.resize(size);
        if (RegQueryValueExA(k, kSavedDaclValue, nullptr, &type, sd.data(), &size) != ERROR_SUCCESS)
            sd.clear();
    }
    RegCloseKey(k);
    if (sd.empty())
        return;
    HKEY sm = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, WRITE_DAC, &sm) != ERROR_SUCCESS)
        throw Error("a test program died while delayed operations were denied, and the Session Manager key's "
                    "DACL cannot be put back; recreate the prefix");
    LONG rc = RegSetKeySecurity(sm, DACL_SECURITY_INFORMATION, sd.data());
    RegCloseKey(sm);
    if (rc != ERROR_SUCCESS)
        throw Error("putting back the Session Manager key's DACL: " + ErrorText(rc));
    ForgetOriginal();
}

std::string StripDevicePrefix(std::string s)
{
    if (s.compare(0, 4, "\\??\\") == 0)
        s.erase(0, 4);
    return s;
}

HANDLE TakeLock()
{
    HANDLE m = CreateMutexA(nullptr, FALSE, "bench-prefix-state");
    if (!m)
        ThrowLastError("creating the prefix lock");
    DWORD r = WaitForSingleObject(m, 3 * ProcessTimeout());
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
        CloseHandle(m);
        throw Error("the prefix lock is held by another test program for too long");
    }
    return m;
}

void DropLock(HANDLE m)
{
    if (m) {
        ReleaseMutex(m);
        CloseHandle(m);
    }
}

}  // namespace

ScopedPrefixLock::ScopedPrefixLock() : mutex_(TakeLock()) {}
ScopedPrefixLock::~ScopedPrefixLock() { DropLock(mutex_); }

std::vector<PendingRename> PendingRenames()
{
    std::vector<PendingRename> out;
    auto list = RegReadMultiString(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    if (!list)
        return out;
    for (size_t i = 0; i + 1 < list->size(); i += 2) {
        PendingRename r;
        r.source = StripDevicePrefix((*list)[i]);
        std::string t = (*list)[i + 1];
        if (!t.empty() && t[0] == '!') {
            r.replaceExisting = true;
            t.erase(0, 1);
        }
        r.target = StripDevicePrefix(t);
        out.push_back(r);
    }
    return out;
}

std::string WininitPath()
{
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    std::string d = dir;
    if (!d.empty() && d.back() != '\\')
        d += '\\';
    return d + "WININIT.INI";
}

std::vector<std::pair<std::string, std::string>> WininitRenames()
{
    std::vector<std::pair<std::string, std::string>> out;
    std::vector<char> buf(65536, '\0');
    DWORD n = GetPrivateProfileSectionA("rename", buf.data(), static_cast<DWORD>(buf.size()), WininitPath().c_str());
    for (const char* p = buf.data(); p < buf.data() + n && *p; p += lstrlenA(p) + 1) {
        std::string line = p;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            out.emplace_back(line, std::string());
        else
            out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return out;
}

void RestartPrefix()
{
    ScopedPrefixLock lock;
    RecoverDeniedDelayedOps();
    char sys[MAX_PATH] = "";
    GetSystemDirectoryA(sys, sizeof sys);
    std::string wineboot = std::string(sys) + "\\wineboot.exe";
    StartOptions opt;
    opt.commandLine = QuoteArg(wineboot) + " -r";
    Process p = Process::Start(wineboot, opt);
    DWORD code = p.WaitExit(3 * ProcessTimeout());
    if (code != 0)
        throw Error("wineboot -r ended with exit code " + std::to_string(code));
    if (!PendingRenames().empty())
        throw Error("wineboot -r left PendingFileRenameOperations behind");
    if (!WininitRenames().empty())
        throw Error("wineboot -r left the [rename] section of " + WininitPath() + " behind");
}

ScopedDenyDelayedOps::ScopedDenyDelayedOps() : lock_(TakeLock())
{
    try {
        RecoverDeniedDelayedOps();
        LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, READ_CONTROL | WRITE_DAC, &key_);
        if (rc != ERROR_SUCCESS)
            throw Error(std::string("opening HKLM\\") + kSessionManager + " for its DACL: " + ErrorText(rc));
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        original_.assign(size ? size : 1, 0);
        rc = RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data(), &size);
        if (rc != ERROR_SUCCESS)
            throw Error("reading the DACL of the Session Manager key: " + ErrorText(rc));
        original_.resize(size);
        SaveOriginal(original_);
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KR;;;WD)", SDDL_REVISION_1, &sd, nullptr))
            ThrowLastError("building the read-only DACL");
        rc = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
        if (rc != ERROR_SUCCESS)
            throw Error("setting the read-only DACL on the Session Manager key: " + ErrorText(rc));
    } catch (...) {
        if (key_)
            RegCloseKey(key_);
        DropLock(lock_);
        throw;
    }
}

ScopedDenyDelayedOps::~ScopedDenyDelayedOps()
{
    if (RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data()) == ERROR_SUCCESS)
        ForgetOriginal();
    RegCloseKey(key_);
    DropLock(lock_);
}

}  // namespace bench
