// CString: the operations the program relies on, on real multi-byte text
// functions of the C runtime under Wine.
#include <gtest/gtest.h>
#include "framework/String.h"

#include <string.h>

TEST(CString, ConstructionAndAssignmentKeepContentAndTerminator)
{
    CString empty;
    EXPECT_EQ(0, empty.GetLength());
    EXPECT_STREQ("", (const char*)empty);
    CString fromNull(static_cast<const char*>(nullptr));
    EXPECT_TRUE(fromNull.IsEmpty());
    CString part("abcdef", 3);
    EXPECT_STREQ("abc", part);
    CString repeated('x', 4);
    EXPECT_STREQ("xxxx", repeated);

    CString a("hello");
    CString b(a);
    b += " world";
    EXPECT_STREQ("hello", a) << "a copy must not share its buffer";
    EXPECT_STREQ("hello world", b);
    CString moved(static_cast<CString&&>(b));
    EXPECT_STREQ("hello world", moved);
    EXPECT_TRUE(b.IsEmpty());

    // Assigning a part of itself.
    CString self("C:\\Apps\\Pictavo");
    self = (const char*)self + 3;
    EXPECT_STREQ("Apps\\Pictavo", self);
    self += (const char*)self;
    EXPECT_STREQ("Apps\\PictavoApps\\Pictavo", self);
}

TEST(CString, GrowsAcrossManyAppends)
{
    CString s;
    for (int i = 0; i < 1000; ++i)
        s += 'a' + (i % 26);
    ASSERT_EQ(1000, s.GetLength());
    EXPECT_EQ('a', s[0]);
    EXPECT_EQ('a' + (999 % 26), s[999]);
    EXPECT_EQ(1000u, strlen(s));
}

TEST(CString, FindAndSubstrings)
{
    CString s("C:\\Program Files\\Pictavo 6\\Pictavo6.exe");
    EXPECT_EQ(2, s.Find('\\'));
    EXPECT_EQ(16, s.Find('\\', 3));
    EXPECT_EQ(26, s.ReverseFind('\\'));
    EXPECT_EQ(17, s.Find("Pictavo"));
    EXPECT_EQ(27, s.Find("Pictavo", 18));
    EXPECT_EQ(-1, s.Find("pictavo6.EXE"));
    EXPECT_EQ(-1, s.Find('x', 100));
    EXPECT_EQ(1, s.FindOneOf(":\\"));
    EXPECT_STREQ("Pictavo6.exe", s.Mid(s.ReverseFind('\\') + 1));
    EXPECT_STREQ("C:\\", s.Left(3));
    EXPECT_STREQ(".exe", s.Right(4));
    EXPECT_STREQ("Program", s.Mid(3, 7));
    // Out-of-range arguments are clamped, never read past the text.
    EXPECT_STREQ("", s.Mid(500));
    EXPECT_STREQ("C:\\Prog", s.Mid(-5, 7));
    EXPECT_STREQ((const char*)s, s.Left(1000));
    EXPECT_STREQ("", s.Right(-1));
}

TEST(CString, TrimAndCase)
{
    struct Case { const char* in; const char* left; const char* right; const char* both; };
    const Case cases[] = {
        { "  ab  ", "ab  ", "  ab", "ab" },
        { "\t\r\nab\v\f", "ab\v\f", "\t\r\nab", "ab" },
        { "   ", "", "", "" },
        { "", "", "", "" },
        { "a b", "a b", "a b", "a b" },
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.left, CString(c.in).TrimLeft()) << c.in;
        EXPECT_STREQ(c.right, CString(c.in).TrimRight()) << c.in;
        EXPECT_STREQ(c.both, CString(c.in).Trim()) << c.in;
    }
    EXPECT_STREQ("Tools\\Pictavo", CString("\\ Tools\\Pictavo\\\\ ").Trim(" \\"));
    EXPECT_STREQ("startup", CString("StartUp").MakeLower());
    EXPECT_STREQ("STARTUP", CString("StartUp").MakeUpper());
    EXPECT_EQ(0, CString("Setup.EXE").CompareNoCase("setup.exe"));
    EXPECT_GT(0, CString("a").CompareNoCase("B"));
    EXPECT_NE(0, CString("Setup.EXE").Compare("setup.exe"));
    EXPECT_TRUE(CString("abc") == "abc");
    EXPECT_TRUE(CString("abc") != CString("abd"));
}

TEST(CString, ReplaceInsertDeleteTruncate)
{
    CString s("Tools/Sub/Group");
    EXPECT_EQ(2, s.Replace('/', '\\'));
    EXPECT_STREQ("Tools\\Sub\\Group", s);
    EXPECT_EQ(2, s.Replace("\\", "\\\\"));
    EXPECT_STREQ("Tools\\\\Sub\\\\Group", s);
    EXPECT_EQ(0, s.Replace("zz", "y"));
    s = "abcdef";
    s.Insert(3, "XY");
    EXPECT_STREQ("abcXYdef", s);
    s.Delete(1, 2);
    EXPECT_STREQ("aXYdef", s);
    s.Delete(4, 100);
    EXPECT_STREQ("aXYd", s);
    s.Truncate(2);
    EXPECT_STREQ("aX", s);
}

TEST(CString, FormatLikePrintf)
{
    CString s;
    s.Format("Pictavo ver. %d.%02d.%02d %s", 6, 1, 2, "");
    EXPECT_STREQ("Pictavo ver. 6.01.02 ", s);
    s.Format("%d.%02d.%02d", 6, 100, 123);
    EXPECT_STREQ("6.100.123", s);
    s.AppendFormat(" Beta %d", 3);
    EXPECT_STREQ("6.100.123 Beta 3", s);
    CString longText(static_cast<const char*>(nullptr));
    longText.Format("%s%s", CString('a', 300).GetString(), CString('b', 300).GetString());
    EXPECT_EQ(600, longText.GetLength());
}

TEST(CString, BufferAccess)
{
    CString s;
    char* p = s.GetBuffer(260);
    strcpy(p, "C:\\Windows");
    s.ReleaseBuffer();
    EXPECT_EQ(10, s.GetLength());
    EXPECT_STREQ("C:\\Windows", s);
    p = s.GetBufferSetLength(3);
    EXPECT_STREQ("C:\\", p);
    s.ReleaseBuffer(2);
    EXPECT_STREQ("C:", s);
}
