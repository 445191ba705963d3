#include "download/DownloaderTaskDispatcher.h"
#include "resources/CCDNResourceDownloader.h"
#include "resources/CResourceManager.h"
#include "resources/LauncherJournal.h"
#include "resources/ProgressEventQueue.h"

#include "support/CdnPublication.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

// Each test runs in its own process (CTest runs every case alone), so the two singletons start
// fresh in every test.

namespace {

using testsupport::CdnPublication;
using testsupport::Md5LowerHex;
using testsupport::PathExists;
using testsupport::Publish;
using testsupport::PublishedFile;
using testsupport::ReadFileBytes;
using testsupport::Route;
using testsupport::TestHttpServer;
using testsupport::WriteFileBytes;

std::size_t GzipLength(const std::string& content) {
    return testsupport::GzipBytes(content).size();
}

std::string LittleEndian32(std::uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    return out;
}

class CResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        DownloadTimings timings;
        timings.poll = std::chrono::milliseconds(1);
        timings.retryPause = std::chrono::milliseconds(5);
        timings.receiveIdle = std::chrono::milliseconds(10000);
        CCDNResourceDownloader::GetInstance().SetTimings(timings);
        root_ = root.path();
    }

    void TearDown() override { ProgressEventQueue::DetachFrom(CResourceManager::GetInstance()); }

    void PublishVersion(const std::vector<PublishedFile>& files) {
        CdnPublication publication = Publish(files, "v1");
        server.Serve("/cdn/v1/kx_game.kxpkg", Route(publication.package));
        server.Serve("/cdn/config/v1.txt", Route(publication.config));
    }

    void Start() {
        CResourceManager& manager = CResourceManager::GetInstance();
        manager.SetProgressCallback(events.Callback());
        manager.Init(root_, root_, server.Url("/cdn/config/v1.txt"));
    }

    // Handles the reports the way the window does until a state that ends the check; `onSize`
    // `continueOnSize` false stops at state 7, before the disk check would let the runs start.
    std::vector<int> Drive(bool continueOnSize = true) {
        std::vector<int> states;
        ProgressEventQueue::Event event;
        while (events.Pop(event, std::chrono::seconds(60))) {
            if (event.state != DownloadProgress)
                states.push_back(event.state);
            if (event.state == DownloadSizeNotice) {
                auto* info = dynamic_cast<RequestDownloadTotalSizeNoticeInfo*>(event.info.get());
                noticedTotal = info ? info->totalBytes : -1;
                if (!continueOnSize)
                    return states;
                CResourceManager::GetInstance().ContinueAfterDiskCheck();
            } else if (event.state == DownloadProgress) {
                auto* info = dynamic_cast<ResourceManagerUpdateProgressInfo*>(event.info.get());
                EXPECT_NE(info, nullptr);
                if (info) {
                    EXPECT_LE(info->downloaded, info->totalBytes);
                    lastProgress = info->downloaded;
                }
            } else if (event.state == CdnCheckFailed || event.state == ResourceDownloadFailed ||
                       event.state == LauncherDownloadFailed || event.state == LauncherUpdateDone ||
                       event.state == ResourceUpdateDone) {
                return states;
            }
        }
        ADD_FAILURE() << "no ending state arrived";
        return states;
    }

    std::size_t RequestsTo(const std::string& path) const {
        auto requests = server.Requests();
        return static_cast<std::size_t>(
            std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r.path == path; }));
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder root;
    std::string root_;
    TestHttpServer server;
    ProgressEventQueue events;
    std::int64_t noticedTotal = -1;
    std::int64_t lastProgress = 0;
};

TEST_F(CResourceManagerTest, NothingNewEndsWithoutSizeNotice) {
    PublishVersion({{"a.dat", "alpha"}, {"Tolmqrvo", "#!/bin/sh\n", true}});
    WriteFileBytes(root_ + "version.txt", "a.dat=" + Md5LowerHex("alpha") + "\r\n");
    WriteFileBytes(root_ + "game/a.dat", "alpha");
    WriteFileBytes(root_ + "launcher_manifest.txt", "Tolmqrvo=" + Md5LowerHex("#!/bin/sh\n") + "\r\n");
    Start();
    EXPECT_EQ(Drive(), (std::vector<int>{1, 2, 3, 4, 5, 6, 17}));
    EXPECT_EQ(RequestsTo("/cdn/v1/kx_game.kxpkg"), 0u);
    // The config is asked for with a cache-busting time stamp.
    auto requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests[0].target.find("/cdn/config/v1.txt?r=20"), std::string::npos) << requests[0].target;
}

TEST_F(CResourceManagerTest, SizeNoticeCarriesTheTotalAndNothingIsFetchedBeforeTheGoAhead) {
    server.Serve("/cdn/config/v1.txt", Route("a.dat=x=v1=0=600=game\r\nTolmqrvo=y=v1=600=400=Launcher\r\n"));
    Start();
    EXPECT_EQ(Drive(false), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(noticedTotal, 1000);
    EXPECT_EQ(RequestsTo("/cdn/v1/kx_game.kxpkg"), 0u);
    // version.txt is not written for an empty local map.
    EXPECT_FALSE(PathExists(root_ + "version.txt"));
}

TEST_F(CResourceManagerTest, OutdatedLauncherFilesAreFetchedAloneIntoTheJournal) {
    const std::string launcher = "#!/bin/sh\necho launcher v2\n";
    const std::string library = "library v2";
    PublishVersion({{"Tolmqrvo", launcher, true}, {"lib\\ui.dat", library, true}, {"game.pak", "game v2"}});
    WriteFileBytes(root_ + "Tolmqrvo", "#!/bin/sh\necho launcher v1\n");
    WriteFileBytes(root_ + "launcher_manifest.txt", "Tolmqrvo=old\r\n");
    Start();
    std::vector<int> states = Drive();
    EXPECT_EQ(states, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 11, 16}));
    // Both launcher files lie back to back in the package: one request fetched them. The game
    // file, although outdated, waits for the restarted launcher.
    EXPECT_EQ(RequestsTo("/cdn/v1/kx_game.kxpkg"), 1u);
    EXPECT_FALSE(PathExists(root_ + "game/game.pak"));
    // The installed launcher stays as it is until the entrance program applies the journal.
    EXPECT_EQ(ReadFileBytes(root_ + "Tolmqrvo"), "#!/bin/sh\necho launcher v1\n");
    EXPECT_FALSE(PathExists(root_ + "lib"));
    EXPECT_FALSE(PathExists(root_ + "launcher_staging"));

    std::string manifest = "Tolmqrvo=" + Md5LowerHex(launcher) + "\r\nlib\\ui.dat=" + Md5LowerHex(library) + "\r\n";
    std::string expected = std::string(1, '\1');
    for (const auto& [name, content] : std::vector<std::pair<std::string, std::string>>{
             {"Tolmqrvo", launcher}, {"lib\\ui.dat", library}, {"launcher_manifest.txt", manifest}}) {
        expected += LittleEndian32(static_cast<std::uint32_t>(name.size())) + name +
                    LittleEndian32(static_cast<std::uint32_t>(content.size())) + content;
    }
    EXPECT_EQ(ReadFileBytes(root_ + "launcher.tmp"), expected);
    EXPECT_EQ(lastProgress, static_cast<std::int64_t>(GzipLength(launcher) + GzipLength(library)));
}

TEST_F(CResourceManagerTest, AFailedResourceRunKeepsWhatArrivedAndReports10) {
    // Five files in five packages, so each travels in a request of its own; the third fails.
    std::string config;
    for (int i = 1; i <= 5; ++i) {
        std::string content = "content of file " + std::to_string(i);
        std::string stream = testsupport::GzipBytes(content);
        std::string dir = "p" + std::to_string(i);
        config += "f" + std::to_string(i) + ".dat=" + Md5LowerHex(content) + "=" + dir +
                  "=0=" + std::to_string(stream.size()) + "=game\r\n";
        Route route(stream);
        if (i == 3)
            route.status = 404;
        server.Serve("/cdn/" + dir + "/kx_game.kxpkg", route);
        WriteFileBytes(root_ + "game/f" + std::to_string(i) + ".dat", "old " + std::to_string(i));
    }
    server.Serve("/cdn/config/v1.txt", Route(config));
    WriteFileBytes(root_ + "version.txt", "f1.dat=old\r\nf2.dat=old\r\nf3.dat=old\r\nf4.dat=old\r\nf5.dat=old\r\n");
    Start();
    std::vector<int> states = Drive();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), ResourceDownloadFailed);
    std::string version = ReadFileBytes(root_ + "version.txt");
    EXPECT_NE(version.find("f3.dat=old\r\n"), std::string::npos) << version;
    for (int i = 1; i <= 5; ++i) {
        std::string name = "f" + std::to_string(i) + ".dat";
        std::string content = "content of file " + std::to_string(i);
        bool arrived = ReadFileBytes(root_ + "game/" + name) == content;
        bool recorded = version.find(name + "=" + Md5LowerHex(content) + "\r\n") != std::string::npos;
        // Recorded exactly when its bytes arrived whole; the failed one never.
        EXPECT_EQ(arrived, recorded) << name << "\n" << version;
        if (i == 3) {
            EXPECT_FALSE(recorded);
        }
    }
    EXPECT_TRUE(version.find("f1.dat=" + Md5LowerHex("content of file 1")) != std::string::npos ||
                version.find("f2.dat=" + Md5LowerHex("content of file 2")) != std::string::npos)
        << "the first files finish before the third fails\n"
        << version;
}

TEST_F(CResourceManagerTest, AFailedLauncherRunDeletesTheJournal) {
    server.Serve("/cdn/config/v1.txt", Route("Tolmqrvo=new=v1=0=50=launcher\r\n"));
    Route missing;
    missing.status = 404;
    server.Serve("/cdn/v1/kx_game.kxpkg", missing);
    Start();
    std::vector<int> states = Drive();
    EXPECT_EQ(states, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 11, 12}));
    EXPECT_FALSE(PathExists(root_ + "launcher.tmp"));
}

TEST_F(CResourceManagerTest, AConfigThatCannotBeFetchedReports8) {
    Route missing;
    missing.status = 404;
    server.Serve("/cdn/config/v1.txt", missing);
    Start();
    EXPECT_EQ(Drive(), (std::vector<int>{1, 2, 3, 4, 5, 8}));
}

TEST_F(CResourceManagerTest, NewInstallFetchesEverythingInOneMergedRequestAndRecordsIt) {
    std::vector<PublishedFile> files;
    for (int i = 0; i < 12; ++i)
        files.push_back({"data\\file" + std::to_string(i) + ".bin", testsupport::RandomBytes(3000 + i, i)});
    files.push_back({"空.txt", ""});
    PublishVersion(files);
    Start();
    EXPECT_EQ(Drive(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 9, 17}));
    EXPECT_EQ(RequestsTo("/cdn/v1/kx_game.kxpkg"), 1u);
    std::string version = ReadFileBytes(root_ + "version.txt");
    for (const PublishedFile& file : files) {
        std::string path = file.name;
        std::replace(path.begin(), path.end(), '\\', '/');
        EXPECT_EQ(ReadFileBytes(root_ + "game/" + path), file.content) << file.name;
        EXPECT_NE(version.find(file.name + "=" + Md5LowerHex(file.content) + "\r\n"), std::string::npos);
        EXPECT_FALSE(PathExists(root_ + "game/" + path + ".t"));
    }
}

TEST_F(CResourceManagerTest, RemovedResourcesAreDeletedAndMissingOnesFetchedAgain) {
    PublishVersion({{"keep.dat", "keep"}, {"back.dat", "back"}});
    WriteFileBytes(root_ + "game/keep.dat", "keep");
    WriteFileBytes(root_ + "game/gone.dat", "obsolete");
    // back.dat is listed as current but its file is missing; ghost.dat is listed without a file.
    WriteFileBytes(root_ + "version.txt", "back.dat=" + Md5LowerHex("back") +
                                              "\r\ngone.dat=1\r\nghost.dat=2\r\nkeep.dat=" + Md5LowerHex("keep") +
                                              "\r\n");
    Start();
    EXPECT_EQ(Drive(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 9, 17}));
    EXPECT_FALSE(PathExists(root_ + "game/gone.dat"));
    EXPECT_EQ(ReadFileBytes(root_ + "game/back.dat"), "back");
    // A removed resource whose file was already missing stays listed (emptied, so it reads
    // back as nothing).
    EXPECT_EQ(ReadFileBytes(root_ + "version.txt"),
              "back.dat=" + Md5LowerHex("back") + "\r\nghost.dat=\r\nkeep.dat=" + Md5LowerHex("keep") + "\r\n");
}

TEST_F(CResourceManagerTest, AStoppedFileCheckEndsItsThreadsAndTheRunWithoutFetching) {
    PublishVersion({{"a.dat", "alpha"}, {"b.dat", "bravo"}, {"z.dat", "zulu"}});
    WriteFileBytes(root_ + "version.txt", "a.dat=" + Md5LowerHex("alpha") + "\r\nb.dat=" + Md5LowerHex("bravo") +
                                              "\r\nz.dat=" + Md5LowerHex("zulu") + "\r\n");
    WriteFileBytes(root_ + "game/a.dat", "alpha");
    WriteFileBytes(root_ + "game/b.dat", "bravX");
    // Hashed last and sparse: reading its 8 GiB would take many seconds.
    WriteFileBytes(root_ + "game/z.dat", "");
    std::filesystem::resize_file(root_ + "game/z.dat", std::uintmax_t{8} << 30);
    CResourceManager& manager = CResourceManager::GetInstance();
    manager.SetCheckInstalledFiles(true);
    Start();
    ProgressEventQueue::Event event;
    bool hashing = false;
    while (!hashing && events.Pop(event, std::chrono::seconds(60))) {
        auto* info = dynamic_cast<FileCheckProgressInfo*>(event.info.get());
        hashing = event.state == FileCheckProgress && info && info->damaged == 1 && info->bytesHashed > 10;
    }
    ASSERT_TRUE(hashing) << "the check never reached the large file";
    manager.StopFileCheck();
    // The check runs on the worker that delivered the config; that worker ends with it.
    CCDNResourceDownloader::GetInstance().GetDispatcher()->WaitUntilIdle();
    std::vector<int> after;
    std::int64_t lastHashed = 0;
    while (events.Pop(event, std::chrono::milliseconds(0))) {
        after.push_back(event.state);
        if (auto* info = dynamic_cast<FileCheckProgressInfo*>(event.info.get()))
            lastHashed = info->bytesHashed;
    }
    for (int state : after)
        EXPECT_EQ(state, FileCheckProgress) << "a stopped check reports nothing more than its progress";
    EXPECT_LT(lastHashed, std::int64_t{2} << 30);
    EXPECT_EQ(RequestsTo("/cdn/v1/kx_game.kxpkg"), 0u);
    // The damaged file has left version.txt; the one the check did not finish keeps its line.
    EXPECT_EQ(ReadFileBytes(root_ + "version.txt"),
              "a.dat=" + Md5LowerHex("alpha") + "\r\nz.dat=" + Md5LowerHex("zulu") + "\r\n");
}

struct BadConfigCase {
    const char* label;
    std::string config;  // %P is replaced with the package's length
    int endState;
};

TEST_F(CResourceManagerTest, HostileConfigsNeverWriteOutsideTheRootOrRecordBrokenFiles) {
    std::string good = "good bytes";
    std::string stream = testsupport::GzipBytes(good);
    std::string length = std::to_string(stream.size());
    std::string md5 = Md5LowerHex(good);
    const BadConfigCase cases[] = {
        {"unsafe names",
         "..\\escape.dat=" + md5 + "=v1=0=" + length + "=game\r\n/etc/x=" + md5 + "=v1=0=" + length +
             "=game\r\nC:\\x=" + md5 + "=v1=0=" + length + "=game\r\nok.dat=" + md5 + "=v1=0=" + length + "=game\r\n",
         17},
        {"repeated name keeps the first", "ok.dat=" + md5 + "=v1=0=" + length + "=game\r\nok.dat=zz=v1=0=3=game\r\n",
         17},
        {"non-numeric offset reads as 0", "ok.dat=" + md5 + "=v1=abc=" + length + "=game\r\n", 17},
        {"past the end of the package", "ok.dat=" + md5 + "=v1=100000=" + length + "=game\r\n", 10},
        {"truncated gzip stream", "ok.dat=" + md5 + "=v1=0=" + std::to_string(stream.size() - 6) + "=game\r\n", 10},
    };
    for (const BadConfigCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        server.Serve("/cdn/v1/kx_game.kxpkg", Route(stream));
        server.Serve("/cdn/config/v1.txt", Route(c.config));
        Start();
        std::vector<int> states = Drive();
        ASSERT_FALSE(states.empty());
        EXPECT_EQ(states.back(), c.endState);
        // Nothing but the manifest and the game folder below the root, nothing beside it.
        for (const auto& entry : std::filesystem::directory_iterator(root_))
            EXPECT_TRUE(entry.path().filename() == "game" || entry.path().filename() == "version.txt") << entry.path();
        std::string version = PathExists(root_ + "version.txt") ? ReadFileBytes(root_ + "version.txt") : "";
        bool arrived = ReadFileBytes(root_ + "game/ok.dat") == good;
        EXPECT_EQ(version.find("ok.dat=" + md5) != std::string::npos, arrived) << version;
        EXPECT_EQ(arrived, c.endState == 17);
    }
}

TEST_F(CResourceManagerTest, ARangeAnsweredWithTheWholePackageIsRefused) {
    std::vector<PublishedFile> files = {{"a.dat", "first file"}, {"b.dat", "second file"}};
    CdnPublication publication = Publish(files, "v1");
    Route whole(publication.package);
    whole.honourRange = false;
    server.Serve("/cdn/v1/kx_game.kxpkg", whole);
    // Only b.dat is outdated, so the range asked for does not start at 0.
    server.Serve("/cdn/config/v1.txt", Route(publication.config));
    WriteFileBytes(root_ + "game/a.dat", "first file");
    WriteFileBytes(root_ + "version.txt", "a.dat=" + Md5LowerHex("first file") + "\r\n");
    Start();
    std::vector<int> states = Drive();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), ResourceDownloadFailed);
    EXPECT_FALSE(PathExists(root_ + "game/b.dat"));
    EXPECT_EQ(ReadFileBytes(root_ + "version.txt"), "a.dat=" + Md5LowerHex("first file") + "\r\n");
}

TEST_F(CResourceManagerTest, ResourceHashIsEmptyBeforeAnyCheck) {
    EXPECT_EQ(CResourceManager::GetInstance().ComputeResourceHash(), "");
}

TEST(CResourceManagerStaticTest, CdnBaseRule) {
    EXPECT_EQ(CResourceManager::DeriveCdnBase("http://h/x/y/file.txt"), "http://h/x/");
    EXPECT_EQ(CResourceManager::DeriveCdnBase("http://h\\x\\y\\file.txt"), "http://h/x/");
    EXPECT_EQ(CResourceManager::DeriveCdnBase("nofolder"), "nofolder/");
}

}  // namespace
