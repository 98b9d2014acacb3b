// Registry helpers against the prefix's real registry, under a key of the
// test's own in HKCU.
#include <gtest/gtest.h>

#include "bench/Registry.h"

namespace {

const char kRoot[] = "Software\\BenchSelftest";

class Registry : public ::testing::Test {
protected:
    void SetUp() override { bench::RegDeleteTree(HKEY_CURRENT_USER, kRoot); }
    void TearDown() override { bench::RegDeleteTree(HKEY_CURRENT_USER, kRoot); }
    std::string Key(const std::string& sub) const { return std::string(kRoot) + "\\" + sub; }
};

TEST_F(Registry, WritesReadsAndDeletes)
{
    const std::string k = Key("A\\B");
    EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, k));
    EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, k, "s"), std::nullopt);
    bench::RegSetString(HKEY_CURRENT_USER, k, "s", "text");
    bench::RegSetString(HKEY_CURRENT_USER, k, "", "default");
    bench::RegSetDword(HKEY_CURRENT_USER, k, "d", 0x12345678);
    EXPECT_TRUE(bench::RegKeyExists(HKEY_CURRENT_USER, k));
    EXPECT_TRUE(bench::RegValueExists(HKEY_CURRENT_USER, k, "s"));
    EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, k, "s"), "text");
    EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, k, ""), "default");
    EXPECT_EQ(bench::RegReadDword(HKEY_CURRENT_USER, k, "d"), 0x12345678u);
    EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, k, "d"), std::nullopt) << "a DWORD is not a string";
    EXPECT_EQ(bench::RegSubkeys(HKEY_CURRENT_USER, Key("A")), std::vector<std::string>{"B"});

    bench::RegDeleteValue(HKEY_CURRENT_USER, k, "s");
    bench::RegDeleteValue(HKEY_CURRENT_USER, k, "s");  // missing: no error
    EXPECT_FALSE(bench::RegValueExists(HKEY_CURRENT_USER, k, "s"));
    bench::RegDeleteTree(HKEY_CURRENT_USER, Key("A"));
    EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, Key("A")));
    EXPECT_THROW(bench::RegDeleteTree(HKEY_CURRENT_USER, ""), bench::Error);
}

TEST_F(Registry, MultiStringKeepsEmptyEntries)
{
    // A list of pairs with an empty second part, as delayed deletions are
    // stored: "a", "", "b", "c".
    const char data[] = "a\0\0b\0c\0";  // the literal adds the closing zero
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), 0);
    RegSetValueExA(h, "m", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    RegCloseKey(h);
    EXPECT_EQ(bench::RegReadMultiString(HKEY_CURRENT_USER, kRoot, "m"),
              (std::vector<std::string>{"a", "", "b", "c"}));
}

TEST_F(Registry, ScopedValueRestoresTheOldState)
{
    const std::string k = Key("Existing");
    bench::RegSetDword(HKEY_CURRENT_USER, k, "v", 5);
    {
        bench::ScopedRegValue o(HKEY_CURRENT_USER, k, "v", std::string("override"));
        EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, k, "v"), "override");
    }
    EXPECT_EQ(bench::RegReadDword(HKEY_CURRENT_USER, k, "v"), 5u) << "type and data come back";
    {
        bench::ScopedRegValue o(HKEY_CURRENT_USER, k, "v", std::nullopt);
        EXPECT_FALSE(bench::RegValueExists(HKEY_CURRENT_USER, k, "v"));
    }
    EXPECT_EQ(bench::RegReadDword(HKEY_CURRENT_USER, k, "v"), 5u);

    const std::string fresh = Key("New\\Deeper");
    {
        bench::ScopedRegValue o(HKEY_CURRENT_USER, fresh, "v", std::string("x"));
        EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, fresh, "v"), "x");
    }
    EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, Key("New"))) << "keys made for the value are removed";
    EXPECT_TRUE(bench::RegKeyExists(HKEY_CURRENT_USER, kRoot)) << "keys that existed stay";
}

TEST_F(Registry, ScopedKeyRemovalPutsTheTreeBack)
{
    bench::RegSetString(HKEY_CURRENT_USER, Key("T"), "", "top");
    bench::RegSetDword(HKEY_CURRENT_USER, Key("T\\Sub"), "n", 9);
    bench::RegCreateKey(HKEY_CURRENT_USER, Key("T\\Empty"));
    {
        bench::ScopedRegKeyRemoved gone(HKEY_CURRENT_USER, Key("T"));
        EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, Key("T")));
        bench::RegSetString(HKEY_CURRENT_USER, Key("T\\Other"), "x", "made meanwhile");
    }
    EXPECT_EQ(bench::RegReadString(HKEY_CURRENT_USER, Key("T"), ""), "top");
    EXPECT_EQ(bench::RegReadDword(HKEY_CURRENT_USER, Key("T\\Sub"), "n"), 9u);
    EXPECT_TRUE(bench::RegKeyExists(HKEY_CURRENT_USER, Key("T\\Empty")));
    EXPECT_FALSE(bench::RegKeyExists(HKEY_CURRENT_USER, Key("T\\Other")));
}

}  // namespace
