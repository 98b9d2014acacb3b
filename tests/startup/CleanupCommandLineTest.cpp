// The clean-up command line, split back as the clean-up copy's C runtime
// (and CommandLineToArgvW) splits it, for awkward paths.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "startup/ProcessInfo.h"
#include "uninstall/Launcher.h"

using startup_test::SplitCommandLine;

TEST(CleanupCommandLine, QuotesOnlyPathsWithBlanksOrTabs)
{
    EXPECT_EQ(std::string(BuildCleanupCommandLine("C:\\Temp\\uni1A.tmp", "C:\\Apps\\P6\\PtvUnInst.exe", FALSE)),
              "C:\\Temp\\uni1A.tmp -delself C:\\Apps\\P6\\PtvUnInst.exe");
    EXPECT_EQ(std::string(BuildCleanupCommandLine("C:\\My Temp\\uni1A.tmp", "C:\\Program Files\\Pictavo 6\\PtvUnInst.exe",
                                                  TRUE)),
              "\"C:\\My Temp\\uni1A.tmp\" -delself \"C:\\Program Files\\Pictavo 6\\PtvUnInst.exe\" -s");
    EXPECT_EQ(std::string(BuildCleanupCommandLine("C:\\T\\uni1.tmp", "C:\\a\tb\\PtvUnInst.exe", FALSE)),
              "C:\\T\\uni1.tmp -delself \"C:\\a\tb\\PtvUnInst.exe\"");
}

TEST(CleanupCommandLine, RoundTripsAwkwardPaths)
{
    struct Case {
        const char* copy;
        const char* uninstaller;
    };
    const Case cases[] = {
        {"C:\\Temp\\uni1A2B.tmp", "C:\\Program Files\\Pictavo 6\\PtvUnInst.exe"},
        {"C:\\Documents and Settings\\Ann\\Local Settings\\Temp\\uniFF.tmp", "D:\\P6\\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "C:\\Program Files (x86)\\Pictavo 6\\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "C:\\Apps\\R&D 100%\\^caret\\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "\\\\server\\share\\Pictavo 6\\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "C:\\a\tb\\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "C:\\two  blanks\\ trailing \\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "C:\\Caf\xe9 \xc9t\xe9\\PtvUnInst.exe"},
        {"C:\\Temp\\uni1.tmp", "C:/forward slashes/PtvUnInst.exe"},
    };
    for (const Case& c : cases) {
        for (BOOL silent : {FALSE, TRUE}) {
            SCOPED_TRACE(std::string(c.copy) + " | " + c.uninstaller + (silent ? " | -s" : ""));
            std::vector<std::string> expected = {c.copy, "-delself", c.uninstaller};
            if (silent)
                expected.push_back("-s");
            EXPECT_EQ(SplitCommandLine(std::string(BuildCleanupCommandLine(c.copy, c.uninstaller, silent))),
                      expected);
        }
    }
}
