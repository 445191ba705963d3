// The updater killed (SIGKILL) at 20 fixed points of an update that brings launcher files and game
// files across several packages, then run again. After every kill version.txt names no file whose
// bytes are incomplete, a run that can fetch nothing records every game file the killed run had
// put in place, and the runs after it converge on exactly the published version.
//
// The points are deterministic: the server stops an answer after byte K of a package (or of the
// config) and the kill lands while the updater waits there, mid-file.
#include "FaultChild.h"
#include "InstallCheck.h"
#include "PublishedVersion.h"
#include "UpdaterCommands.h"

#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace faults;
using testsupport::RandomBytes;
using testsupport::ReadFileBytes;
using testsupport::Route;
using testsupport::TestHttpServer;

PublishedVersion KillV1() {
    return PublishedVersion("k1", {
                                      {"Tolmqrvo", "#!/bin/sh\necho launcher 1\n", "k1", true},
                                      {"res\\skin.dat", "skin 1", "k1", true},
                                      {"readme.txt", "Welcome aboard.\n", "k1"},
                                      {"maps\\north.map", RandomBytes(30000, 1), "k1"},
                                      {"maps\\south.map", RandomBytes(25000, 2), "k1"},
                                      {"sound\\battle.ogg", RandomBytes(40000, 3), "k1"},
                                      {"text\\strings.txt", std::string(20000, 's'), "k1"},
                                      {"old\\legacy.dat", "removed in k2", "k1"},
                                  });
}

// Launcher files in "l2"; game files in "g0" (unchanged readme), "g1", "g2" and "g3".
PublishedVersion KillV2() {
    std::string strings;
    while (strings.size() < 20000)
        strings += "string " + std::to_string(strings.size()) + "\n";
    return PublishedVersion("k2", {
                                      {"Tolmqrvo", "#!/bin/sh\necho launcher 2\n", "l2", true},
                                      {"res\\skin.dat", RandomBytes(6000, 10), "l2", true},
                                      {"readme.txt", "Welcome aboard.\n", "g0"},
                                      {"maps\\north.map", RandomBytes(31000, 11), "g1"},
                                      {"maps\\south.map", RandomBytes(24000, 12), "g1"},
                                      {"ships\\cruiser.mdl", RandomBytes(35000, 13), "g1"},
                                      {"sound\\battle.ogg", RandomBytes(41000, 14), "g2"},
                                      {"sound\\calm.ogg", RandomBytes(22000, 15), "g2"},
                                      {"text\\strings.txt", strings, "g3"},
                                      {"movie\\intro.bik", RandomBytes(45000, 16), "g3"},
                                  });
}

struct KillPoint {
    std::string package;  // the package folder whose answer stops; empty: the config's
    std::int64_t at = 0;  // bytes of that answer sent before it stops
};

std::string Describe(const KillPoint& point) {
    return "kill while the " + (point.package.empty() ? std::string("config") : point.package + " package") +
           " stops after byte " + std::to_string(point.at);
}

// Both ends, the second byte, the middle and a file boundary of each answer the update needs.
std::vector<KillPoint> KillPoints(const PublishedVersion& v2) {
    auto size = [&](const std::string& dir) { return static_cast<std::int64_t>(v2.packages().at(dir).size()); };
    auto length = [&](const char* name) { return static_cast<std::int64_t>(v2.LengthOf(name)); };
    std::int64_t config = static_cast<std::int64_t>(v2.config().size());
    return {
        {"", 0},
        {"", config / 2},
        {"", config - 1},
        {"l2", 0},
        {"l2", 1},
        {"l2", length("Tolmqrvo")},
        {"l2", size("l2") / 2},
        {"l2", size("l2") - 1},
        {"g1", 0},
        {"g1", 1},
        {"g1", length("maps\\north.map")},
        {"g1", size("g1") / 2},
        {"g1", size("g1") - 1},
        {"g2", 0},
        {"g2", 1},
        {"g2", size("g2") / 2},
        {"g2", size("g2") - 1},
        {"g3", 0},
        {"g3", size("g3") / 2},
        {"g3", size("g3") - 1},
    };
}

class KilledUpdateTest : public ::testing::Test {
protected:
    // Runs the updater (applying the journal after a launcher update, as the restart would) until
    // the stopped answer is reached, then kills it. False when the updates finished without it.
    bool RunUntilKilled(TestHttpServer& server) {
        for (int run = 0; run < 3; ++run) {
            FaultChild child;
            if (!child.Start(UpdateCommand(root, server.Url(v2.ConfigPath()))))
                return false;
            for (;;) {
                // The stopped answer waits for the kill; nothing is missed between the two checks.
                if (server.WaitForStalls(1, 20)) {
                    child.Kill();
                    ChildOutcome outcome = child.Wait();
                    EXPECT_EQ(outcome.signal, SIGKILL) << outcome.output;
                    return true;
                }
                if (child.WaitFor(0))
                    break;
            }
            ChildOutcome outcome = child.Wait();
            if (outcome.exitCode != kUpdateLauncherFetched)
                return false;
            EXPECT_EQ(RunToEnd(ApplyJournalCommand(root)).exitCode, 0);
        }
        return false;
    }

    // Updates until the updater reports everything current (at most four runs).
    void Converge(TestHttpServer& server) {
        for (int run = 0; run < 4; ++run) {
            ChildOutcome outcome = RunToEnd(UpdateCommand(root, server.Url(v2.ConfigPath())));
            if (outcome.exitCode == kUpdateCurrent)
                return;
            ASSERT_EQ(outcome.exitCode, kUpdateLauncherFetched) << outcome.output;
            ASSERT_EQ(RunToEnd(ApplyJournalCommand(root)).exitCode, 0);
        }
        ADD_FAILURE() << "the updates did not converge";
    }

    // The game files of v2 whose new bytes are in place.
    std::vector<std::string> NewGameFilesInPlace() const {
        std::vector<std::string> names;
        for (const VersionFile& file : v2.files()) {
            const VersionFile* old = v1.Find(file.name);
            std::string path = NativePath(root + "game/", file.name);
            if (!file.launcher && (!old || old->content != file.content) && testsupport::PathExists(path) &&
                ReadFileBytes(path) == file.content)
                names.push_back(file.name);
        }
        return names;
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = KillV1();
    PublishedVersion v2 = KillV2();
};

TEST_F(KilledUpdateTest, EveryKillLeavesATruthfulVersionFileAndTheNextRunsConverge) {
    std::vector<KillPoint> points = KillPoints(v2);
    ASSERT_EQ(points.size(), 20u);
    for (const KillPoint& point : points) {
        SCOPED_TRACE(Describe(point));
        std::filesystem::remove_all(root);
        v1.Install(root);
        TestHttpServer server;
        v2.ServeOn(server);
        Route stopping(point.package.empty() ? v2.config() : v2.packages().at(point.package));
        stopping.stallAfter = point.at;
        server.Serve(point.package.empty() ? v2.ConfigPath() : PublishedVersion::PackagePath(point.package), stopping);
        ASSERT_TRUE(RunUntilKilled(server)) << "the kill point was never reached";
        server.ReleaseStalls();

        // Every game file placed before the kill is kept: a run that can fetch nothing records it.
        std::vector<std::string> placed = NewGameFilesInPlace();
        {
            TestHttpServer configOnly;
            configOnly.Serve(v2.ConfigPath(), Route(v2.config()));
            ChildOutcome dry = RunToEnd(UpdateCommand(root, configOnly.Url(v2.ConfigPath())));
            EXPECT_EQ(dry.exitCode, kUpdateDownloadFailed) << dry.output;
        }
        std::map<std::string, std::string> recorded = RecordedVersions(root);
        for (const std::string& name : placed)
            EXPECT_EQ(recorded[name], v2.Md5Of(name)) << name << " was in place before the kill";

        ExpectNothingWrongRecorded(root, v2, {&v1});
        // The launcher files are whole: the old ones, or the new ones once a journal was applied.
        for (const VersionFile& file : v2.files()) {
            if (!file.launcher)
                continue;
            std::string bytes = ReadFileBytes(NativePath(root, file.name));
            EXPECT_TRUE(bytes == file.content || bytes == v1.Find(file.name)->content) << file.name;
        }

        v2.ServeOn(server);
        Converge(server);
        ExpectInstalled(root, v2);
    }
}

}  // namespace
