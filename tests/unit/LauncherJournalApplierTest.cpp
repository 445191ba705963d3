#include "resources/LauncherJournal.h"
#include "resources/LauncherJournalApplier.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

void WriteJournal(const std::string& root, bool complete) {
    LauncherJournal journal(root + "launcher.tmp");
    ASSERT_TRUE(journal.Begin());
    ASSERT_TRUE(journal.AppendRecord("Tolmqrvo", "#!/bin/sh\necho new\n"));
    ASSERT_TRUE(journal.AppendRecord("lib\\ui.dat", "new ui"));
    if (complete) {
        ASSERT_TRUE(journal.Complete("Tolmqrvo=2\r\nlib\\ui.dat=2\r\n"));
    }
}

TEST(LauncherJournalApplierTest, CompleteJournalReplacesTheLauncherFiles) {
    TempFolder root;
    WriteFileBytes(root.path() + "Tolmqrvo", "old");
    WriteFileBytes(root.path() + "launcher_manifest.txt", "Tolmqrvo=1\r\n");
    WriteJournal(root.path(), true);
    int applied = 0;
    EXPECT_EQ(ApplyLauncherJournal(root.path(), &applied), JournalApplyResult::Applied);
    EXPECT_EQ(applied, 3);
    EXPECT_EQ(ReadFileBytes(root.path() + "Tolmqrvo"), "#!/bin/sh\necho new\n");
    EXPECT_EQ(ReadFileBytes(root.path() + "lib/ui.dat"), "new ui");
    EXPECT_EQ(ReadFileBytes(root.path() + "launcher_manifest.txt"), "Tolmqrvo=2\r\nlib\\ui.dat=2\r\n");
    struct stat info {};
    ASSERT_EQ(::stat((root.path() + "Tolmqrvo").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);  // the launcher stays runnable
    EXPECT_FALSE(PathExists(root.path() + "launcher.tmp"));
    EXPECT_EQ(ApplyLauncherJournal(root.path()), JournalApplyResult::NoJournal);
}

TEST(LauncherJournalApplierTest, IncompleteOrDamagedJournalsAreDiscardedUnapplied) {
    TempFolder root;
    WriteFileBytes(root.path() + "Tolmqrvo", "old");
    WriteJournal(root.path(), false);
    EXPECT_EQ(ApplyLauncherJournal(root.path()), JournalApplyResult::NotComplete);
    EXPECT_EQ(ReadFileBytes(root.path() + "Tolmqrvo"), "old");
    EXPECT_FALSE(PathExists(root.path() + "launcher.tmp"));

    WriteJournal(root.path(), true);
    std::string bytes = ReadFileBytes(root.path() + "launcher.tmp");
    WriteFileBytes(root.path() + "launcher.tmp", bytes.substr(0, bytes.size() - 3));
    EXPECT_EQ(ApplyLauncherJournal(root.path()), JournalApplyResult::Malformed);
    EXPECT_EQ(ReadFileBytes(root.path() + "Tolmqrvo"), "old");
    EXPECT_FALSE(PathExists(root.path() + "lib"));
    EXPECT_FALSE(PathExists(root.path() + "launcher.tmp"));
}

TEST(LauncherJournalApplierTest, AFileThatCannotBeWrittenLeavesEveryOldFile) {
    TempFolder root;
    WriteFileBytes(root.path() + "Tolmqrvo", "old");
    WriteFileBytes(root.path() + "lib", "a regular file where the folder must go");
    WriteJournal(root.path(), true);
    EXPECT_EQ(ApplyLauncherJournal(root.path()), JournalApplyResult::WriteFailed);
    EXPECT_EQ(ReadFileBytes(root.path() + "Tolmqrvo"), "old");
    EXPECT_FALSE(PathExists(root.path() + "launcher_manifest.txt"));
    EXPECT_FALSE(PathExists(root.path() + "Tolmqrvo.journal-new"));
    EXPECT_FALSE(PathExists(root.path() + "launcher.tmp"));
}

}  // namespace
