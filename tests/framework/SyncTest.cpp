// CMutex and CSingleLock shared by name between two processes.
#include <gtest/gtest.h>
#include "framework/Sync.h"
#include "bench/Process.h"
#include "framework/String.h"

namespace {

// Runs the probe with the mutex name and mode; its exit code.
DWORD RunProbe(const char* name, const char* mode)
{
    bench::StartOptions options;
    options.commandLine = bench::CommandLine(bench::BesideExe("mutex_probe.exe"), { name, mode });
    return bench::Process::Start(bench::BesideExe("mutex_probe.exe"), options).WaitExit();
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
