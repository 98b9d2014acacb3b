// Files, folders and shortcuts in the prefix.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "bench/Files.h"

namespace {

TEST(Files, TempDirIsRealAndGoesWithReadOnlyContent)
{
    std::string path;
    {
        bench::ScopedTempDir dir("two words ");
        path = dir.Path();
        EXPECT_TRUE(bench::IsDirectory(path));
        EXPECT_NE(path.find("two words "), std::string::npos);
        EXPECT_EQ(path.back() == '\\', false);
        bench::MakeDirs(dir / "a\\b\\c");
        bench::WriteFile(dir / "a\\b\\c\\locked.txt", "x");
        ASSERT_TRUE(SetFileAttributesA((dir / "a\\b\\c\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(SetFileAttributesA((dir / "a\\b").c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_FALSE(DeleteFileA((dir / "a\\b\\c\\locked.txt").c_str())) << "read-only is real";
    }
    EXPECT_FALSE(bench::Exists(path));
}

TEST(Files, WholeFilesAndListings)
{
    bench::ScopedTempDir dir;
    const std::string bytes("line\r\nnul\0byte\n", 15);
    bench::WriteFile(dir / "b.bin", bytes);
    bench::WriteFile(dir / "A.txt", "");
    bench::MakeDirs(dir / "c folder");
    EXPECT_EQ(bench::ReadFile(dir / "b.bin"), bytes);
    EXPECT_EQ(bench::ReadFile(dir / "A.txt"), "");
    EXPECT_EQ(bench::ReadFile(dir / "missing"), std::nullopt);
    EXPECT_EQ(bench::ListDir(dir.Path()), (std::vector<std::string>{"A.txt", "b.bin", "c folder"}));
    EXPECT_TRUE(bench::IsFile(dir / "A.txt"));
    EXPECT_FALSE(bench::IsFile(dir / "c folder"));
    EXPECT_TRUE(bench::IsDirectory(dir / "c folder"));
    EXPECT_EQ(bench::Join("C:\\", "x"), "C:\\x");
    EXPECT_EQ(bench::Join("C:\\a", "x"), "C:\\a\\x");
    EXPECT_THROW(bench::WriteFile(dir / "no such folder\\f", "x"), bench::Error);
}

TEST(Files, ReadsAShortcutBack)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    bench::ScopedTempDir dir("links ");
    const std::string target = dir / "Program.exe";
    bench::WriteFile(target, "MZ");
    const std::string lnk = dir / "Program.lnk";
    {
        IShellLinkA* link = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)),
                  S_OK);
        link->SetPath(target.c_str());
        link->SetWorkingDirectory(dir.Path().c_str());
        link->SetDescription("The program");
        link->SetArguments("-x \"y z\"");
        IPersistFile* file = nullptr;
        ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
        std::wstring w(lnk.begin(), lnk.end());
        EXPECT_EQ(file->Save(w.c_str(), TRUE), S_OK);
        file->Release();
        link->Release();
    }
    bench::ShortcutInfo info = bench::ReadShortcut(lnk);
    EXPECT_EQ(info.target, target);
    EXPECT_EQ(info.workingDir, dir.Path());
    EXPECT_EQ(info.description, "The program");
    EXPECT_EQ(info.arguments, "-x \"y z\"");
    EXPECT_THROW(bench::ReadShortcut(dir / "none.lnk"), bench::Error);
    CoUninitialize();
}

}  // namespace
