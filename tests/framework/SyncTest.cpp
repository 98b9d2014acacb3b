// CMutex and CSingleLock shared by name between two processes.
#include <gtest/gtest.h>
#include "framework/Sync.h"
#include "framework/String.h"

namespace {

CString ProbePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    CString p(path);
    return p.Left(p.ReverseFind('\\') + 1) + "mutex_probe.exe";
}

// Runs the probe with the mutex name and mode; its exit code.
DWORD RunProbe(const char* name, const char* mode)
{
    CString cmd;
    cmd.Format("\"%s\" %s %s", ProbePath().GetString(), name, mode);
    STARTUPINFOA si = { sizeof si };
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmd.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 999;
    DWORD code = 998;
    if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

CString UniqueName(const char* tag)
{
    CString name;
    name.Format("FrameworkTest_%s_%lu", tag, GetCurrentProcessId());
    return name;
}

}  // namespace

TEST(CMutex, SharedByNameBetweenProcesses)
{
    CString name = UniqueName("shared");
    CMutex mutex(FALSE, name);
    ASSERT_NE(nullptr, mutex.m_hObject);
    {
        CSingleLock lock(&mutex, TRUE);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_EQ(0u, RunProbe(name, "try")) << "another process must not get a mutex we hold";
    }
    EXPECT_EQ(1u, RunProbe(name, "try")) << "the lock's scope end must release the mutex";
}

TEST(CMutex, AbandonedMutexCountsAsTaken)
{
    CString name = UniqueName("abandoned");
    CMutex mutex(FALSE, name);
    ASSERT_NE(nullptr, mutex.m_hObject);
    ASSERT_EQ(2u, RunProbe(name, "hold-and-die"));
    CSingleLock lock(&mutex);
    EXPECT_TRUE(lock.Lock(5000));
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked());
}

TEST(CMutex, UnlockWithoutLockFails)
{
    CMutex mutex;
    ASSERT_NE(nullptr, mutex.m_hObject);
    EXPECT_FALSE(mutex.Unlock()) << "releasing a mutex this thread does not own must fail";
}
