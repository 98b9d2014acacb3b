// The line format of the manifest and the install log: how lines are read
// back, how records are appended, and how a record's argument splits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/Files.h"
#include "install/InstallNames.h"
#include "install/LogFormat.h"

namespace {

std::vector<std::string> ReadAllLines(const std::string& path)
{
    std::vector<std::string> lines;
    CLogReader reader(path.c_str());
    while (reader.ReadLine())
        lines.push_back(reader.Line());
    return lines;
}

struct ReadCase {
    const char* what;
    std::string bytes;                 // the file as stored
    std::vector<std::string> lines;    // what the reader gives back
};

TEST(LogFormat, ReadLogLineTrimsTheEndButNeverTheFirstCharacter)
{
    const std::string longLine(600, 'x');
    const ReadCase cases[] = {
        {"line ends and trailing blanks and tabs go",
         "File Copy: a.dll \t \r\nMake Dir: sub\r\n", {"File Copy: a.dll", "Make Dir: sub"}},
        {"a record with nothing after its prefix loses the prefix's blank",
         "File Copy: \r\n", {"File Copy:"}},
        {"the first character stays, even a blank or the line feed",
         " \r\n\r\n\tx\r\n", {" ", "\n", "\tx"}},
        {"other control characters at the end go too", "Made Dir: C:\\G\x01\x1f\r\n", {"Made Dir: C:\\G"}},
        {"characters above 127 are text, not control characters",
         "File Copy: caf\xe9\r\nFile Copy: \xe9\xa0\r\n", {"File Copy: caf\xe9", "File Copy: \xe9\xa0"}},
        {"a last line without a line end", "a\r\nFile Del: b.txt", {"a", "File Del: b.txt"}},
        {"a bare line feed ends a line as well", "a\nb\n", {"a", "b"}},
        {"a line of more than 511 bytes comes in parts",
         longLine + "\r\n", {std::string(511, 'x'), std::string(89, 'x')}},
        {"an empty file", "", {}},
    };
    bench::ScopedTempDir dir("logfmt");
    for (const ReadCase& c : cases) {
        bench::WriteFile(dir / "log.txt", c.bytes);
        EXPECT_EQ(ReadAllLines(dir / "log.txt"), c.lines) << c.what;
    }
}

TEST(LogFormat, ReaderOfAMissingFileIsEmptyAndRewindReadsAgain)
{
    bench::ScopedTempDir dir("logfmt");
    CLogReader missing((dir / "none.log").c_str());
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.ReadLine());

    bench::WriteFile(dir / "log.txt", "one\r\ntwo\r\n");
    CLogReader reader((dir / "log.txt").c_str());
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_FALSE(reader.ReadLine());
    reader.Rewind();
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_STREQ(reader.Line(), "one");
}

TEST(LogFormat, AppendLogLineWritesOneLineWithCarriageReturnAndLineFeed)
{
    bench::ScopedTempDir dir("logfmt");
    const std::string log = dir / "PtvUnInst.log";

    AppendLogLine(log.c_str(), "Made Dir: C:\\Start Menu\\Pictavo 6");
    EXPECT_EQ(bench::ReadFile(log), "Made Dir: C:\\Start Menu\\Pictavo 6\r\n") << "a missing file is created";

    // A file whose last line has no line end: an empty record ends it.
    bench::WriteFile(log, "File Copy: a.dll");
    AppendLogLine(log.c_str(), "");
    AppendLogLine(log.c_str(), "Shell Link: C:\\x.lnk");
    EXPECT_EQ(bench::ReadFile(log), "File Copy: a.dll\r\nShell Link: C:\\x.lnk\r\n");

    // With a line end already there, the empty record is an empty line.
    bench::WriteFile(log, "File Copy: a.dll\r\n");
    AppendLogLine(log.c_str(), "");
    EXPECT_EQ(bench::ReadFile(log), "File Copy: a.dll\r\n\r\n");

    // Nothing is left open between records: the file can be deleted at once.
    EXPECT_TRUE(DeleteFileA(log.c_str()));

    // A folder that does not exist: the record is dropped, nothing appears.
    AppendLogLine((dir / "missing\\PtvUnInst.log").c_str(), "Made Dir: x");
    EXPECT_FALSE(bench::Exists(dir / "missing"));
}

TEST(LogFormat, RecordPrefixesMatchExactlyAtTheStart)
{
    EXPECT_STREQ(RecordArgument("File Copy: a.dll", kRecFileCopy), "a.dll");
    EXPECT_STREQ(RecordArgument("File Copy:  a.dll", kRecFileCopy), " a.dll") << "a second blank is part of the name";
    EXPECT_EQ(RecordArgument("file copy: a.dll", kRecFileCopy), nullptr);
    EXPECT_EQ(RecordArgument(" File Copy: a.dll", kRecFileCopy), nullptr);
    EXPECT_EQ(RecordArgument("File Copy:", kRecFileCopy), nullptr);
    EXPECT_EQ(RecordArgument("File Copy x64: a.dll", kRecFileCopy), nullptr);

    // No prefix begins another, so a line matches at most one kind.
    const char* prefixes[] = {kRecFileCopy, kRecFileCopyX64, kRecFileCopyInd, kRecFileOverwrite,
                              kRecFileDel,  kRecMakeDir,     kRecMadeDir,     kRecShellLink};
    for (const char* a : prefixes)
        for (const char* b : prefixes)
            if (a != b)
                EXPECT_EQ(RecordArgument(a, b), nullptr) << a << " / " << b;
}

TEST(LogFormat, CopySideSplitOfTheArgument)
{
    struct Case {
        const char* argument;
        bool split;
        const char* source;
        const char* target;
    } cases[] = {
        {"a.dll", false, "", ""},
        {"sub\\*.dll", false, "", ""},
        {"new.dll>old.dll", true, "new.dll", "old.dll"},
        {"new.dll \t > \t old.dll", true, "new.dll", "old.dll"},
        {"sub\\a.txt > b c.txt", true, "sub\\a.txt", "b c.txt"},
        {"a > b > c", true, "a", "b > c"},
        {"a.dll | remark", false, "", ""},
    };
    for (const Case& c : cases) {
        CString source, target;
        EXPECT_EQ(SplitCopyArgument(c.argument, source, target), c.split) << c.argument;
        EXPECT_STREQ(source, c.source) << c.argument;
        EXPECT_STREQ(target, c.target) << c.argument;
    }
}

TEST(LogFormat, RemovalSideNameOfARecord)
{
    struct Case {
        const char* line;
        const char* prefix;
        const char* name;
    } cases[] = {
        {"File Copy: a.dll", kRecFileCopy, "a.dll"},
        {"File Copy: sub\\*.dll", kRecFileCopy, "sub\\*.dll"},
        {"File Del: new.dll > \t old.dll", kRecFileDel, "old.dll"},
        {"File Copy: a.dll | the remark > x", kRecFileCopy, "a.dll"},
        {"File Overwrite: a.txt > b.txt | remark", kRecFileOverwrite, "b.txt"},
        {"File Copy x64: a|b.dll", kRecFileCopyX64, "a|b.dll"},
        // The cut falls on the prefix's own blank: nothing is left to delete.
        {"File Copy: | remark", kRecFileCopy, ""},
        {"File Del: >", kRecFileDel, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(RemovalName(c.line, c.prefix), c.name) << c.line;
}

}  // namespace
