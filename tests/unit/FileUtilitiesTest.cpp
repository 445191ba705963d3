#include "base/FileUtilities.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

TEST(FileUtilitiesTest, ParentFolder) {
    std::string folder = "unchanged";
    EXPECT_TRUE(ParentFolder("/a/b.txt", folder));
    EXPECT_EQ(folder, "/a");
    EXPECT_TRUE(ParentFolder("/a/", folder));
    EXPECT_EQ(folder, "/a");
    folder = "unchanged";
    EXPECT_FALSE(ParentFolder("b.txt", folder));
    EXPECT_EQ(folder, "unchanged");
}

TEST(FileUtilitiesTest, CreateFolderChainReportsTheLastCreation) {
    TempFolder temp;
    EXPECT_FALSE(CreateFolderChain(temp.path()));  // everything exists: nothing created
    EXPECT_TRUE(CreateFolderChain(temp.path() + "x/y"));
    EXPECT_TRUE(PathExists(temp.path() + "x/y/"));
    EXPECT_FALSE(CreateFolderChain(temp.path() + "x/y/"));
    // A regular file where a folder must go: the chain cannot be made.
    WriteFileBytes(temp.path() + "blocked", "file");
    EXPECT_FALSE(CreateFolderChain(temp.path() + "blocked/inner/"));
    EXPECT_FALSE(PathExists(temp.path() + "blocked/inner"));
}

TEST(FileUtilitiesTest, ReadTextFileDropsByteOrderMarkAndReplacesInvalidBytes) {
    TempFolder temp;
    std::string text = "unchanged";
    EXPECT_FALSE(ReadTextFile(temp.path() + "missing", text));
    EXPECT_EQ(text, "unchanged");
    WriteFileBytes(temp.path() + "bom",
                   "\xEF\xBB\xBF"
                   "abc");
    ASSERT_TRUE(ReadTextFile(temp.path() + "bom", text));
    EXPECT_EQ(text, "abc");
    WriteFileBytes(temp.path() + "plain", "abc");
    ASSERT_TRUE(ReadTextFile(temp.path() + "plain", text));
    EXPECT_EQ(text, "abc");
    WriteFileBytes(temp.path() + "bad", "a\xFF\xE4\xB8\xAD");
    ASSERT_TRUE(ReadTextFile(temp.path() + "bad", text));
    EXPECT_EQ(text, "a?\xE4\xB8\xAD");
    EXPECT_FALSE(ReadTextFile(temp.path(), text));  // a folder is not a file
    std::string bytes;
    EXPECT_FALSE(ReadRawFile("", bytes));
}

TEST(FileUtilitiesTest, WritesCreateFoldersAndReplaceContent) {
    TempFolder temp;
    std::string path = temp.path() + "new/folder/file.txt";
    ASSERT_TRUE(WriteTextFile(path, "long old content"));
    ASSERT_TRUE(WriteTextFile(path, "\xE4\xB8\xAD"));
    EXPECT_EQ(ReadFileBytes(path), "\xE4\xB8\xAD");  // no byte-order mark, old content gone
    ASSERT_TRUE(ReplaceFileContent(temp.path() + "other/atomic.txt", "one"));
    ASSERT_TRUE(ReplaceFileContent(temp.path() + "other/atomic.txt", "two"));
    EXPECT_EQ(ReadFileBytes(temp.path() + "other/atomic.txt"), "two");
    EXPECT_FALSE(PathExists(temp.path() + "other/atomic.txt.new"));
    WriteFileBytes(temp.path() + "blocked", "file");
    EXPECT_FALSE(WriteRawFile(temp.path() + "blocked/x.txt", "data"));
    EXPECT_FALSE(ReplaceFileContent(temp.path() + "blocked/x.txt", "data"));
}

TEST(FileUtilitiesTest, ProgramsBecomeExecutableOtherFilesDoNot) {
    TempFolder temp;
    const std::pair<std::string, mode_t> cases[] = {{"\x7f"
                                                     "ELF\x02\x01",
                                                     0755},
                                                    {"#!/bin/sh\n", 0755},
                                                    {"plain data", 0644},
                                                    {"", 0644}};
    for (const auto& [content, mode] : cases) {
        std::string path = temp.path() + "f";
        ASSERT_TRUE(WriteRawFile(path, content));
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << content;
    }
}

TEST(FileUtilitiesTest, DeleteFileIfExists) {
    TempFolder temp;
    EXPECT_FALSE(DeleteFileIfExists(temp.path() + "missing"));
    WriteFileBytes(temp.path() + "there", "x");
    EXPECT_TRUE(DeleteFileIfExists(temp.path() + "there"));
    EXPECT_FALSE(PathExists(temp.path() + "there"));
}

TEST(FileUtilitiesTest, IsFolderWritable) {
    TempFolder temp;
    EXPECT_TRUE(IsFolderWritable(temp.path() + "made/here/"));
    EXPECT_TRUE(PathExists(temp.path() + "made/here"));
    EXPECT_FALSE(PathExists(temp.path() + "made/here/launcher_test.txt"));
    WriteFileBytes(temp.path() + "file", "x");
    EXPECT_FALSE(IsFolderWritable(temp.path() + "file/sub/"));
    // The probe's own name taken by a folder: it cannot be written, and nothing is left behind.
    testsupport::WriteFileBytes(temp.path() + "busy/launcher_test.txt/keep", "x");
    EXPECT_FALSE(IsFolderWritable(temp.path() + "busy/"));
    EXPECT_EQ(ReadFileBytes(temp.path() + "busy/launcher_test.txt/keep"), "x");
}

TEST(FileUtilitiesTest, FileVersionFromMarker) {
    TempFolder temp;
    FileVersion version{9, 9, 9, 9};
    EXPECT_FALSE(GetFileVersion(temp.path() + "missing", version));
    WriteFileBytes(temp.path() + "plain", "no marker in here");
    EXPECT_TRUE(GetFileVersion(temp.path() + "plain", version));
    EXPECT_EQ(version.major, 9);  // untouched
    WriteFileBytes(temp.path() + "marked",
                   "\x7f"
                   "ELF..." +
                       FileVersionMarker({1, 2, 3, 65535}) + "...");
    ASSERT_TRUE(GetFileVersion(temp.path() + "marked", version));
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 2);
    EXPECT_EQ(version.build, 3);
    EXPECT_EQ(version.revision, 65535);
    WriteFileBytes(temp.path() + "broken", FileVersionMarker({1, 2, 3, 4}).substr(0, 22) + "x");
    EXPECT_FALSE(GetFileVersion(temp.path() + "broken", version));
}

TEST(FileUtilitiesTest, RemoveEmptyFoldersKeepsEveryFile) {
    TempFolder temp;
    std::filesystem::create_directories(temp.path() + "stage/a/b/c");
    std::filesystem::create_directories(temp.path() + "stage/d");
    WriteFileBytes(temp.path() + "stage/d/keep.txt", "x");
    RemoveEmptyFolders(temp.path() + "stage/");
    EXPECT_FALSE(PathExists(temp.path() + "stage/a"));
    EXPECT_EQ(ReadFileBytes(temp.path() + "stage/d/keep.txt"), "x");
    std::filesystem::remove(temp.path() + "stage/d/keep.txt");
    RemoveEmptyFolders(temp.path() + "stage");
    EXPECT_FALSE(PathExists(temp.path() + "stage"));
}

TEST(FileUtilitiesTest, DefaultInstallDriveIsTheHomeFolder) {
    testsupport::IsolatedHome home;
    std::string drive = "stale";
    ASSERT_TRUE(DefaultInstallDrive(drive));
    EXPECT_EQ(drive, home.home());
    home.environment().Set("HOME", home.home() + "does-not-exist");
    EXPECT_FALSE(DefaultInstallDrive(drive));
    EXPECT_EQ(drive, "");
}

}  // namespace
