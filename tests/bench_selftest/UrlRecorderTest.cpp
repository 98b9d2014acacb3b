// Web addresses opened through the shell reach the recorder instead of a
// browser.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "bench/Registry.h"
#include "bench/UrlRecorder.h"

namespace {

const char kHttpCommand[] = "http\\shell\\open\\command";

TEST(UrlRecorder, RecordsAddressesOpenedWithTheShell)
{
    const auto before = bench::RegReadString(HKEY_CLASSES_ROOT, kHttpCommand, "");
    {
        bench::UrlRecorder rec;
        EXPECT_EQ(bench::RegReadString(HKEY_CLASSES_ROOT, kHttpCommand, ""), rec.Command());
        HINSTANCE h = ShellExecuteA(nullptr, "open", "http://example.invalid/x?y=1", nullptr, nullptr, SW_SHOW);
        ASSERT_GT(reinterpret_cast<INT_PTR>(h), 32);
        EXPECT_EQ(rec.WaitForAddresses(1), std::vector<std::string>{"http://example.invalid/x?y=1"});
        h = ShellExecuteA(nullptr, "open", "https://example.invalid/secure", nullptr, nullptr, SW_SHOW);
        ASSERT_GT(reinterpret_cast<INT_PTR>(h), 32);
        EXPECT_EQ(rec.WaitForAddresses(2)[1], "https://example.invalid/secure");
        EXPECT_EQ(rec.AddressesWhenIdle().size(), 2u);
    }
    EXPECT_EQ(bench::RegReadString(HKEY_CLASSES_ROOT, kHttpCommand, ""), before);
}

TEST(UrlRecorder, TellsThatNoAddressWasOpened)
{
    bench::UrlRecorder rec;
    EXPECT_TRUE(rec.AddressesWhenIdle().empty());
    EXPECT_THROW(rec.WaitForAddresses(1, 200), bench::Error);
    // The recorder is still in place after the idle check.
    ShellExecuteA(nullptr, "open", "http://example.invalid/after", nullptr, nullptr, SW_SHOW);
    EXPECT_EQ(rec.AddressesWhenIdle(), std::vector<std::string>{"http://example.invalid/after"});
}

}  // namespace
