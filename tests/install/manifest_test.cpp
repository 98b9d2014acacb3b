// Executing a manifest: folders, plain and renaming copies, the 64-bit and
// the library records; and the set copy with the folders it creates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SetupState.h"
#include "bench/Files.h"
#include "bench/Process.h"
#include "install/EngineTest.h"
#include "install/Manifest.h"

using enginetest::ListTree;
using enginetest::PutFile;
using enginetest::ScopedAssign;

namespace {

BOOL WINAPI FailingWow64Call(HANDLE, PBOOL result)
{
    *result = TRUE;
    return FALSE;
}

TEST(Is64BitWindows, AsksIsWow64ProcessWhenTheSystemHasIt)
{
    ScopedAssign<PFN_ISWOW64PROCESS> seam(g_pfnIsWow64Process, g_pfnIsWow64Process);
    g_pfnIsWow64Process = nullptr;
    EXPECT_FALSE(Is64BitWindows()) << "older Windows without the entry point";
    g_pfnIsWow64Process = enginetest::ReportNoWow64;
    EXPECT_FALSE(Is64BitWindows());
    g_pfnIsWow64Process = enginetest::ReportWow64;
    EXPECT_TRUE(Is64BitWindows());
    g_pfnIsWow64Process = FailingWow64Call;
    EXPECT_FALSE(Is64BitWindows()) << "a failed call is no answer";
}

class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install = root / "Program Files\\Quorvane\\Pictavo 6";
        g_strSourceDir = source.Path().c_str();
        g_strInstallDir = install.c_str();
    }

    void Manifest(const std::string& text) { bench::WriteFile(source / "PtvUnInst.log", text); }
    void Run() { ProcessManifest((source / "PtvUnInst.log").c_str()); }

    bench::ScopedTempDir source{"source"};
    bench::ScopedTempDir root{"root"};
    std::string install;
    ScopedAssign<CString> keepSource{g_strSourceDir, g_strSourceDir};
    ScopedAssign<CString> keepInstall{g_strInstallDir, g_strInstallDir};
    ScopedAssign<PFN_ISWOW64PROCESS> keepSeam{g_pfnIsWow64Process, g_pfnIsWow64Process};
};

// One manifest with every shape of record, on both kinds of Windows.
class ManifestRoadTest : public ManifestTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ManifestRoadTest, ExecutesEveryRecordKindInFileOrder)
{
    const bool is64 = GetParam();
    g_pfnIsWow64Process = is64 ? enginetest::ReportWow64 : enginetest::ReportNoWow64;

    PutFile(source / "Pictavo6.exe", "32-bit program");
    PutFile(source / "x64\\Pictavo6.exe", "64-bit program");
    PutFile(source / "readme.txt", "read me");
    PutFile(source / "notes.txt", "notes");
    PutFile(source / "other.txt", "other");
    PutFile(source / "lib\\a.dll", "a");
    PutFile(source / "lib\\b.dll", "b");
    PutFile(source / "lib\\c.txt", "c");
    PutFile(source / "lib\\deep\\d.dat", "d");
    PutFile(source / "src name.dat", "renamed");
    PutFile(source / "orphan\\child\\k.txt", "k");
    PutFile(source / "x64\\helper64.dll", "helper");
    PutFile(source / "version.dll", "not a library");
    PutFile(source / "ptvmissing.dll", "not a library either");
    Manifest("Pictavo 6 manifest: this line is no record\r\n"
             "File Copy: Pictavo6.exe\r\n"
             "File Copy: readme.txt \t\r\n"
             "Make Dir: lib\r\n"
             "Make Dir: lib\\deep\r\n"
             "Make Dir: orphan\\child\r\n"
             "File Copy: lib\\*.dll\r\n"
             "File Copy: lib\\deep\\*\r\n"
             "File Copy: orphan\\child\\*.txt\r\n"
             "File Copy: src name.dat  >  renamed.dat\r\n"
             "File Copy: notes.txt | the remark stays part of the name\r\n"
             "File Copy: nothing*.xyz\r\n"
             "file copy: other.txt\r\n"
             "File Copy: \r\n"
             "File Overwrite: other.txt\r\n"
             "File Del: other.txt\r\n"
             "File Copy x64: x64\\Pictavo6.exe > Pictavo6.exe\r\n"
             "File Copy x64: x64\\helper64.dll>helper64.dll\r\n"
             "File Copy ind: version.dll\r\n"
             "File Copy ind: ptvmissing.dll > ptvm.dll\r\n"
             "Made Dir: C:\\elsewhere\r\n"
             "Shell Link: C:\\elsewhere\\x.lnk\r\n");
    Run();

    std::vector<std::string> expected = {"lib\\", "lib\\a.dll", "lib\\b.dll", "lib\\deep\\", "lib\\deep\\d.dat",
                                         "Pictavo6.exe", "ptvm.dll", "readme.txt", "renamed.dat"};
    if (is64)
        expected.insert(expected.begin(), "helper64.dll");
    EXPECT_EQ(ListTree(install), expected);
    EXPECT_EQ(bench::ReadFile(bench::Join(install, "Pictavo6.exe")), is64 ? "64-bit program" : "32-bit program")
        << "a later x64 record replaces the plain copy";
    EXPECT_EQ(bench::ReadFile(bench::Join(install, "renamed.dat")), "renamed");
    EXPECT_FALSE(bench::Exists("C:\\elsewhere"));
    // The library test hides the source file only for its length.
    EXPECT_TRUE(bench::IsFile(source / "version.dll"));
    EXPECT_TRUE(bench::IsFile(source / "ptvmissing.dll"));
    EXPECT_FALSE(bench::Exists(source / "version.dll.toinst"));
}

INSTANTIATE_TEST_SUITE_P(Windows, ManifestRoadTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Wow64" : "Win32");
                         });

TEST_F(ManifestTest, LibraryBesideTheSetupDoesNotCountAsTheSystemsOwn)
{
    // The library lies in the source folder, which is also the current
    // folder, so the library search would find it there, as it finds the
    // copy in the folder of the running setup program.
    const std::string fixture = bench::Join(bench::Join(bench::ExeDir(), "engine-fixtures"), "ptvonly.dll");
    ASSERT_TRUE(CopyFileA(fixture.c_str(), (source / "ptvonly.dll").c_str(), FALSE)) << fixture;
    enginetest::ScopedCurrentDir cwd(source.Path());
    {
        HMODULE found = LoadLibraryA("ptvonly.dll");
        ASSERT_NE(found, nullptr) << "the search reaches the source folder";
        FreeLibrary(found);
    }
    Manifest("File Copy: readme.txt\r\nFile Copy ind: ptvonly.dll\r\n");
    PutFile(source / "readme.txt", "r");
    Run();
    EXPECT_EQ(ListTree(install), (std::vector<std::string>{"ptvonly.dll", "readme.txt"}));
    EXPECT_TRUE(bench::IsFile(source / "ptvonly.dll"));
}

TEST_F(ManifestTest, MissingManifestInstallsNothing)
{
    Run();
    EXPECT_FALSE(bench::Exists(install));
}

TEST_F(ManifestTest, SetThatFindsNothingLeavesTheTargetFolderAlone)
{
    PutFile(source / "a.dll", "a");
    EXPECT_EQ(InstallFileSet("*.xyz", install.c_str(), source.Path().c_str()), 0);
    EXPECT_EQ(InstallFileSet("sub\\*.dll", install.c_str(), source.Path().c_str()), 0);
    EXPECT_FALSE(bench::Exists(root / "Program Files"));
}

TEST_F(ManifestTest, SetCreatesTheTargetFolderWithItsParents)
{
    PutFile(source / "a.dll", "a");
    PutFile(source / "b.dll", "b");
    PutFile(source / "c.txt", "c");
    const std::string target = root / "one/two\\three";
    EXPECT_EQ(InstallFileSet("*.dll", target.c_str(), (source.Path() + "\\").c_str()), 2);
    EXPECT_EQ(ListTree(root.Path()), (std::vector<std::string>{"one\\", "one\\two\\", "one\\two\\three\\",
                                                               "one\\two\\three\\a.dll", "one\\two\\three\\b.dll"}));
}

TEST_F(ManifestTest, SetOfARootedFolderCreatesNoFoldersInTheCurrentFolder)
{
    // The install folder given from the root of the current drive.
    PutFile(source / "a.dll", "a");
    const std::string rooted = (root / "x\\y").substr(2);
    ASSERT_EQ(rooted[0], '\\');
    bench::ScopedTempDir current("cwd");
    enginetest::ScopedCurrentDir cwd(current.Path());
    EXPECT_EQ(InstallFileSet("a.dll", rooted.c_str(), source.Path().c_str()), 1);
    EXPECT_TRUE(bench::IsFile(root / "x\\y\\a.dll"));
    EXPECT_EQ(ListTree(current.Path()), std::vector<std::string>{});
}

TEST_F(ManifestTest, SetEndsAtTheFirstEntryThatCannotBePutInPlace)
{
    // A folder that matches the pattern cannot be copied as a file. The
    // entries come in the order of the file system; the test asks it.
    bench::MakeDirs(source / "b.dat");
    for (const char* name : {"a.dat", "c.dat", "d.dat", "e.dat", "f.dat", "g.dat"})
        PutFile(source / name, name);
    std::vector<std::string> order;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((source / "*.dat").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do
        order.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);

    size_t failing = 0;
    while (order[failing] != "b.dat")
        ++failing;
    EXPECT_EQ(InstallFileSet("*.dat", install.c_str(), source.Path().c_str()), static_cast<int>(failing));
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(bench::Exists(bench::Join(install, order[i])), i < failing) << order[i];
}

}  // namespace
