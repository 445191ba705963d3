// Launcher journals damaged or forged in every way a byte can be: cut at every offset, every byte
// flipped, lengths past the end, path texts that leave the root. The entrance program must apply
// all of a journal or none of it, never write outside the root, always end, stay within bounded
// memory, and leave a launcher that runs.
#include "FaultChild.h"
#include "InstallCheck.h"
#include "PublishedVersion.h"
#include "UpdaterCommands.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace {

using namespace faults;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

using Records = std::vector<std::pair<std::string, std::string>>;

std::string LittleEndian32(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return out;
}

std::string Journal(char state, const Records& records) {
    std::string bytes(1, state);
    for (const auto& [path, content] : records) {
        bytes += LittleEndian32(static_cast<std::uint32_t>(path.size())) + path;
        bytes += LittleEndian32(static_cast<std::uint32_t>(content.size())) + content;
    }
    return bytes;
}

// The records a journal holds when read by its layout alone: a complete journal whose lengths
// add up and whose last record is the manifest. Names are not judged here.
std::optional<Records> CompleteRecords(const std::string& bytes) {
    if (bytes.empty() || bytes[0] != '\1')
        return std::nullopt;
    Records records;
    std::size_t at = 1;
    auto field = [&](std::string& out) {
        if (bytes.size() - at < 4)
            return false;
        std::uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        at += 4;
        if (bytes.size() - at < length)
            return false;
        out = bytes.substr(at, length);
        at += length;
        return true;
    };
    while (at < bytes.size()) {
        std::pair<std::string, std::string> record;
        if (!field(record.first) || !field(record.second))
            return std::nullopt;
        records.push_back(record);
    }
    if (records.empty() || records.back().first != "launcher_manifest.txt")
        return std::nullopt;
    return records;
}

class HostileJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(work.path() + "neighbour/x", "neighbour's file");
        installed.Install(root);
    }

    // Installs the old launcher, puts `journal` in place and applies it. Checks that the result
    // is the old installation or the journal's records on top of it, and nothing else.
    void Apply(const std::string& bytes) {
        std::filesystem::remove_all(root);
        installed.Install(root);
        auto before = Fingerprints(root);
        auto outsideBefore = Outside();
        WriteFileBytes(root + "launcher.tmp", bytes);

        FaultChild child;
        ChildOptions options;
        options.measureMemory = true;
        ASSERT_TRUE(child.Start(ApplyJournalCommand(root), options));
        if (!child.WaitFor(10000)) {
            child.Kill();
            FAIL() << "the entrance program did not end";
        }
        ChildOutcome outcome = child.Wait();
        EXPECT_TRUE(outcome.exitCode == 0 || outcome.exitCode == 1) << outcome.output;
        EXPECT_LT(outcome.peakMemoryKiB, 64 * 1024);
        EXPECT_FALSE(PathExists(root + "launcher.tmp"));
        EXPECT_EQ(Outside(), outsideBefore);

        auto after = Fingerprints(root);
        after.erase("launcher.tmp");
        if (after == before)
            return;
        std::optional<Records> parsed = CompleteRecords(bytes);
        ASSERT_TRUE(parsed.has_value()) << "a journal that is not whole changed files";
        auto applied = before;
        std::string staging = root + "applied/";
        for (const auto& [path, content] : *parsed)
            WriteFileBytes(NativePath(staging, path), content);
        for (const auto& [path, print] : Fingerprints(staging))
            applied[path] = print;
        std::filesystem::remove_all(staging);
        EXPECT_EQ(after, applied) << "neither the old files nor exactly the journal's";
        ++appliedCount;
    }

    std::map<std::string, std::string> Outside() const {
        std::map<std::string, std::string> outside;
        for (const auto& [path, print] : Fingerprints(work.path())) {
            if (path.rfind("root/", 0) != 0)
                outside[path] = print;
        }
        return outside;
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion installed{
        "k1",
        {{"Tolmqrvo", "#!/bin/sh\necho launcher 1\n", "k1", true}, {"res\\skin.dat", "skin 1", "k1", true}}};
    const Records records = {{"Tolmqrvo", "#!/bin/sh\necho launcher 2\n"},
                             {"res\\skin.dat", "skin 2"},
                             {"launcher_manifest.txt", "Tolmqrvo=2\r\nres\\skin.dat=2\r\n"}};
    const std::string journal = Journal('\1', records);
    int appliedCount = 0;
};

TEST_F(HostileJournalTest, TheIntactJournalIsApplied) {
    Apply(journal);
    EXPECT_EQ(appliedCount, 1);
    EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), "#!/bin/sh\necho launcher 2\n");
}

TEST_F(HostileJournalTest, AJournalCutAnywhereChangesNothing) {
    for (std::size_t size = 0; size < journal.size(); ++size) {
        SCOPED_TRACE("cut to " + std::to_string(size) + " bytes");
        Apply(journal.substr(0, size));
        EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), "#!/bin/sh\necho launcher 1\n");
    }
    EXPECT_EQ(appliedCount, 0);
}

TEST_F(HostileJournalTest, EveryFlippedByteIsAppliedWholeOrNotAtAll) {
    for (unsigned char mask : {0x01, 0x80, 0xFF}) {
        for (std::size_t at = 0; at < journal.size(); ++at) {
            SCOPED_TRACE("byte " + std::to_string(at) + " xor " + std::to_string(mask));
            std::string flipped = journal;
            flipped[at] = static_cast<char>(flipped[at] ^ mask);
            Apply(flipped);
            // Whatever happened, a launcher is in place and whole.
            std::string launcher = ReadFileBytes(root + "Tolmqrvo");
            EXPECT_FALSE(launcher.empty());
        }
    }
}

TEST_F(HostileJournalTest, LengthsPastTheEndAndUnsafePathsAreRefusedWhole) {
    std::vector<std::string> journals;
    // Each of the six length fields set past the end of the file, by one byte and by 4 GiB.
    std::size_t at = 1;
    for (const auto& [path, content] : records) {
        for (std::size_t length : {path.size(), content.size()}) {
            for (std::uint32_t value : {static_cast<std::uint32_t>(journal.size()), 0xFFFFFFFFu}) {
                std::string forged = journal;
                forged.replace(at, 4, LittleEndian32(value));
                journals.push_back(forged);
            }
            at += 4 + length;
        }
    }
    for (const std::string& path :
         {std::string("..\\x"), std::string("res\\..\\..\\x"), std::string("../neighbour/x"),
          work.path() + "neighbour/x", std::string("C:\\x"), std::string("\\\\srv\\s\\x"),
          std::string("res\0..\\..\\x", 11), std::string(""), std::string(".\\x"), std::string("res\\\\skin.dat")}) {
        Records forged = records;
        forged[1].first = path;
        journals.push_back(Journal('\1', forged));
    }
    for (std::size_t i = 0; i < journals.size(); ++i) {
        SCOPED_TRACE("forged journal " + std::to_string(i));
        Apply(journals[i]);
        EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), "#!/bin/sh\necho launcher 1\n");
    }
    EXPECT_EQ(appliedCount, 0);
}

TEST_F(HostileJournalTest, AJournalThatCannotBeReadWholeIsSetAsideAndTheLauncherStarts) {
    struct UnreadableCase {
        const char* label;
        std::function<void(const std::string& path)> make;
        std::int64_t addressSpaceLimit = -1;
    };
    const UnreadableCase cases[] = {
        {"700 MB, past the size bound",
         [](const std::string& path) {
             WriteFileBytes(path, std::string(1, '\1'));
             std::filesystem::resize_file(path, 700 * 1000 * 1000);  // sparse: costs no disk
         }},
        {"200 MB within the bound, in 128 MiB of memory",
         [](const std::string& path) {
             WriteFileBytes(path, std::string(1, '\1'));
             std::filesystem::resize_file(path, 200 * 1000 * 1000);
         },
         std::int64_t(128) << 20},
        {"a folder in its place", [](const std::string& path) { std::filesystem::create_directories(path + "/x"); }},
    };
    for (const UnreadableCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(root);
        installed.Install(root);
        // The launcher tells the test it started, with its command line, through a FIFO.
        WriteFileBytes(root + "Tolmqrvo", "#!/bin/sh\necho \"$@\" > started.fifo\n");
        ::chmod((root + "Tolmqrvo").c_str(), 0755);
        ASSERT_EQ(::mkfifo((root + "started.fifo").c_str(), 0600), 0);
        int fifo = ::open((root + "started.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(fifo, 0);
        const auto before = Fingerprints(root);
        c.make(root + "launcher.tmp");

        FaultChild child;
        ChildOptions options;
        options.addressSpaceLimit = c.addressSpaceLimit;
        ASSERT_TRUE(child.Start({TOLM_ENTRANCE, "LAUNCHER_REBOOT=TRUE", "--root", root}, options));
        ChildOutcome outcome = child.Wait();
        EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
        EXPECT_NE(outcome.output.find("set aside"), std::string::npos) << outcome.output;

        pollfd started{fifo, POLLIN, 0};
        ASSERT_EQ(::poll(&started, 1, 30000), 1) << "the launcher did not start\n" << outcome.output;
        char line[256] = {};
        ASSERT_GT(::read(fifo, line, sizeof(line) - 1), 0);
        ::close(fifo);
        EXPECT_EQ(std::string(line).rfind("LAUNCHER_REBOOT=TRUE ENTRANCE=", 0), 0u) << line;

        EXPECT_FALSE(std::filesystem::exists(root + "launcher.tmp"));
        EXPECT_TRUE(std::filesystem::exists(root + "launcher.tmp.unreadable"));
        std::filesystem::remove_all(root + "launcher.tmp.unreadable");
        EXPECT_EQ(Fingerprints(root), before) << "nothing of the journal is applied";
    }
}

}  // namespace
