#include "resources/LauncherJournal.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::string_literals;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

class LauncherJournalTest : public testing::Test {
protected:
    TempFolder temp_;
    const std::string path_ = temp_.path() + "launcher.tmp";
    const std::string bigContent_ = std::string(0x0102, 'x');  // a length that needs two bytes
};

TEST_F(LauncherJournalTest, WritesTheFormatByteForByte) {
    WriteFileBytes(path_, "an old journal");
    LauncherJournal journal(path_);
    ASSERT_TRUE(journal.Begin());
    EXPECT_EQ(ReadFileBytes(path_), "\0"s);

    ASSERT_TRUE(journal.AppendRecord("bin\\tool.so", bigContent_));
    ASSERT_TRUE(journal.AppendRecord("\xE4\xB8\xAD", "ab"));
    EXPECT_EQ(ReadFileBytes(path_).front(), '\0');  // still running
    ASSERT_TRUE(journal.Complete("a=1\r\n"));

    const std::string expected = "\x01"s                                          // state: complete
                                 + "\x0B\x00\x00\x00"s + "bin\\tool.so"           // L1 = 11
                                 + "\x02\x01\x00\x00"s + bigContent_              // L2 = 0x0102
                                 + "\x03\x00\x00\x00"s + "\xE4\xB8\xAD"           // L1 = 3
                                 + "\x02\x00\x00\x00"s + "ab"                     // L2 = 2
                                 + "\x15\x00\x00\x00"s + "launcher_manifest.txt"  // L1 = 21
                                 + "\x05\x00\x00\x00"s + "a=1\r\n";               // L2 = 5
    EXPECT_EQ(ReadFileBytes(path_), expected);

    std::vector<LauncherJournalRecord> records;
    ASSERT_EQ(ReadLauncherJournal(path_, records), LauncherJournalStatus::Complete);
    EXPECT_EQ(records,
              (std::vector<LauncherJournalRecord>{
                  {"bin\\tool.so", bigContent_}, {"\xE4\xB8\xAD", "ab"}, {"launcher_manifest.txt", "a=1\r\n"}}));
}

TEST_F(LauncherJournalTest, AnEmptyManifestLeavesTheJournalRunning) {
    LauncherJournal journal(path_);
    ASSERT_TRUE(journal.Begin());
    ASSERT_TRUE(journal.AppendRecord("a.so", ""));
    EXPECT_FALSE(journal.Complete(""));
    EXPECT_EQ(ReadFileBytes(path_), "\0\x04\0\0\0a.so\0\0\0\0"s);
    std::vector<LauncherJournalRecord> records;
    EXPECT_EQ(ReadLauncherJournal(path_, records), LauncherJournalStatus::Incomplete);
    EXPECT_EQ(records, (std::vector<LauncherJournalRecord>{{"a.so", ""}}));
}

TEST_F(LauncherJournalTest, NeverAppendsWithoutAJournalAndNeverCompletesAfterALostWrite) {
    LauncherJournal journal(path_);
    EXPECT_FALSE(journal.AppendRecord("a.so", "x"));  // no Begin: nothing to append to
    EXPECT_FALSE(PathExists(path_));

    ASSERT_TRUE(journal.Begin());
    std::remove(path_.c_str());
    EXPECT_FALSE(journal.AppendRecord("a.so", "x"));
    EXPECT_FALSE(PathExists(path_));
    // Even if a journal turns up again, one record is missing: it must not be marked complete.
    WriteFileBytes(path_, "\0"s);
    EXPECT_FALSE(journal.Complete("a.so=1\r\n"));
    EXPECT_EQ(ReadFileBytes(path_).front(), '\0');

    // A new Begin starts over.
    ASSERT_TRUE(journal.Begin());
    ASSERT_TRUE(journal.Complete("a.so=1\r\n"));
    EXPECT_EQ(ReadFileBytes(path_).front(), '\1');

    journal.Delete();
    EXPECT_FALSE(PathExists(path_));
    std::vector<LauncherJournalRecord> records;
    EXPECT_EQ(ReadLauncherJournal(path_, records), LauncherJournalStatus::Unreadable);
}

TEST_F(LauncherJournalTest, BeginFailsWhereNoFileCanBeCreated) {
    WriteFileBytes(temp_.path() + "blocked", "file");
    LauncherJournal journal(temp_.path() + "blocked/launcher.tmp");
    EXPECT_FALSE(journal.Begin());
    EXPECT_FALSE(journal.AppendRecord("a.so", "x"));
    EXPECT_FALSE(journal.Complete("a.so=1\r\n"));
}

std::string CompleteJournal() {
    return "\x01"s + "\x04\x00\x00\x00"s + "a.so" + "\x03\x00\x00\x00"s + "xyz" + "\x15\x00\x00\x00"s +
           "launcher_manifest.txt" + "\x06\x00\x00\x00"s + "a.so=1";
}

TEST(LauncherJournalReaderTest, RefusesEveryTruncation) {
    const std::string whole = CompleteJournal();
    std::vector<LauncherJournalRecord> records;
    ASSERT_EQ(ParseLauncherJournal(whole, records), LauncherJournalStatus::Complete);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_EQ(ParseLauncherJournal(whole.substr(0, size), records), LauncherJournalStatus::Malformed) << size;
        EXPECT_TRUE(records.empty());
    }
}

TEST(LauncherJournalReaderTest, RefusesDamagedAndHostileJournals) {
    const std::string whole = CompleteJournal();
    auto with = [&](std::size_t at, const std::string& bytes) {
        return std::string(whole).replace(at, bytes.size(), bytes);
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"state byte 2", with(0, "\x02")},
        {"state byte 0xFF", with(0, "\xFF")},
        {"path length one too large", with(1, "\x05")},
        {"content length one too small", with(9, "\x02")},  // leaves a stray byte before the next record
        {"content length near 4 GiB", with(9, "\xFF\xFF\xFF\xFF")},
        {"path length near 4 GiB", with(1, "\xFF\xFF\xFF\xFF")},
        {"trailing partial record", whole + "\x01\x00"s},
        {"trailing record without content", whole + "\x01\x00\x00\x00"s + "b"},
        {"complete without the manifest last", "\x01"s + "\x04\x00\x00\x00"s + "a.so" + "\x00\x00\x00\x00"s},
        {"empty path", "\x00"s + "\x00\x00\x00\x00"s + "\x00\x00\x00\x00"s},
        {"path leaving the root", with(5, "..\\x")},
        {"absolute path", with(5, "/etc")},
        {"drive letter", with(5, "C:\\x")},
        {"NUL in the path", with(5, "a\0so"s)},
        {"bytes the code page cannot carry", with(5, "a\xFF.s")},
    };
    for (const auto& c : cases) {
        std::vector<LauncherJournalRecord> records = {{"stale", "stale"}};
        EXPECT_EQ(ParseLauncherJournal(c.bytes, records), LauncherJournalStatus::Malformed) << c.what;
        EXPECT_TRUE(records.empty()) << c.what;
    }
}

TEST(LauncherJournalReaderTest, EveryFlippedByteIsRefusedOrAccountedFor) {
    const std::string whole = CompleteJournal();
    for (std::size_t at = 0; at < whole.size(); ++at) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string bytes = whole;
            bytes[at] = static_cast<char>(bytes[at] ^ mask);
            std::vector<LauncherJournalRecord> records;
            LauncherJournalStatus status = ParseLauncherJournal(bytes, records);
            if (status == LauncherJournalStatus::Malformed) {
                EXPECT_TRUE(records.empty());
                continue;
            }
            // Accepted (a changed path or content byte): the records account for every byte.
            std::size_t accounted = 1;
            for (const auto& record : records)
                accounted += 8 + record.path.size() + record.content.size();
            EXPECT_EQ(accounted, bytes.size()) << at << ' ' << int(mask);
        }
    }
}

TEST(LauncherJournalReaderTest, ACompleteJournalWithOnlyTheManifestIsValid) {
    const std::string bytes = "\x01"s + "\x15\x00\x00\x00"s + "launcher_manifest.txt" + "\x00\x00\x00\x00"s;
    std::vector<LauncherJournalRecord> records;
    EXPECT_EQ(ParseLauncherJournal(bytes, records), LauncherJournalStatus::Complete);
    EXPECT_EQ(records, (std::vector<LauncherJournalRecord>{{"launcher_manifest.txt", ""}}));
    EXPECT_EQ(ParseLauncherJournal("\0"s, records), LauncherJournalStatus::Incomplete);
    EXPECT_TRUE(records.empty());
}

}  // namespace
