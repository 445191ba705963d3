// Connection faults on the way from the CDN: cut connections, a stalled answer, error statuses and
// ranges answered with other bytes. Each case runs the real update check (v1 installed, v2
// published) and asserts what the player keeps.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InProcessUpdate.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "resources/ResourceManagerProgressInfo.h"

#include "support/NginxServer.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

using namespace faults;
using testsupport::Route;
using testsupport::TestHttpServer;

// Every attempt a download worker makes for one segment.
constexpr std::size_t kWorkerAttempts = 10;

class TransferFaultTest : public ::testing::Test {
protected:
    // A fresh server with v2 published and v1 installed, so every case counts its own requests.
    void Reset() {
        server = std::make_unique<TestHttpServer>();
        v2.ServeOn(*server);
        std::filesystem::remove_all(root);
        v1.Install(root);
    }

    std::string PackagePath() const { return PublishedVersion::PackagePath("v2"); }
    const std::string& Package() const { return v2.packages().at("v2"); }
    // The one segment v2 is fetched in: every stream after readme.txt.
    std::size_t SegmentLength() const { return Package().size() - v2.LengthOf("readme.txt"); }

    int Update() { return update.Run(root, server->Url(v2.ConfigPath())).empty() ? 0 : update.LastState(); }

    std::size_t RequestsTo(const std::string& path) const {
        auto requests = server->Requests();
        return static_cast<std::size_t>(
            std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r.path == path; }));
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
    std::unique_ptr<TestHttpServer> server;
    InProcessUpdate update;
};

TEST_F(TransferFaultTest, CutConnectionsAreRetriedOrFailWithNothingWrongRecorded) {
    const std::int64_t length = static_cast<std::int64_t>(SegmentLength());
    for (std::int64_t at : {std::int64_t{0}, std::int64_t{1}, length / 2, length - 1}) {
        SCOPED_TRACE("cut after byte " + std::to_string(at) + " of " + std::to_string(length));
        // Cut once: the worker's next attempt brings every file.
        Reset();
        Route once(Package());
        once.cutAfter = at;
        server->Serve(PackagePath(), once);
        EXPECT_EQ(Update(), ResourceUpdateDone);
        EXPECT_EQ(RequestsTo(PackagePath()), 2u);
        ExpectInstalled(root, v2);

        // Cut every time: the run fails after the worker's attempts and records nothing wrong.
        Reset();
        Route always(Package());
        always.cutAfter = at;
        always.cutTimes = 1000;
        server->Serve(PackagePath(), always);
        EXPECT_EQ(Update(), ResourceDownloadFailed);
        EXPECT_EQ(RequestsTo(PackagePath()), kWorkerAttempts);
        ExpectNothingWrongRecorded(root, v2, {&v1});

        // The next check against a healthy server brings the installation to v2.
        v2.ServeOn(*server);
        EXPECT_EQ(Update(), ResourceUpdateDone);
        ExpectInstalled(root, v2);
    }
}

TEST_F(TransferFaultTest, ErrorStatusesFailAfterTheAttemptsAndLeaveTheInstallationAlone) {
    struct StatusCase {
        const char* label;
        bool config;
        int status;
        int endState;
    };
    const StatusCase cases[] = {
        {"500 on the package", false, 500, ResourceDownloadFailed},
        {"503 on the package", false, 503, ResourceDownloadFailed},
        {"404 on the package", false, 404, ResourceDownloadFailed},
        {"404 on the config", true, 404, CdnCheckFailed},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.label);
        Reset();
        Route failing;
        failing.status = c.status;
        std::string path = c.config ? v2.ConfigPath() : PackagePath();
        server->Serve(path, failing);
        auto before = Fingerprints(root);
        EXPECT_EQ(Update(), c.endState);
        EXPECT_EQ(RequestsTo(path), kWorkerAttempts);
        EXPECT_EQ(Fingerprints(root), before);
    }
}

TEST_F(TransferFaultTest, RangesAnsweredWithOtherBytesNeverReachAFile) {
    struct RangeCase {
        const char* label;
        void (*change)(Route&);
    };
    const RangeCase cases[] = {
        {"200 with the whole package", [](Route& r) { r.honourRange = false; }},
        {"206 with the range one byte later", [](Route& r) { r.rangeShift = 1; }},
        {"206 with the range one byte earlier", [](Route& r) { r.rangeShift = -1; }},
        {"206 with one byte more than asked", [](Route& r) { r.overrun = "x"; }},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.label);
        Reset();
        Route route(Package());
        c.change(route);
        server->Serve(PackagePath(), route);
        auto before = Fingerprints(root);
        EXPECT_EQ(Update(), ResourceDownloadFailed);
        EXPECT_EQ(RequestsTo(PackagePath()), kWorkerAttempts);
        // Not one byte of those answers landed anywhere, not even in a temporary file.
        EXPECT_EQ(Fingerprints(root), before);
    }
}

TEST(TransferStallTest, AStalledAnswerEndsAfterTheReceiveTimeOutAndIsRetried) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
    v1.Install(root);
    TestHttpServer server;
    v2.ServeOn(server);
    const std::string path = PublishedVersion::PackagePath("v2");
    const std::string& package = v2.packages().at("v2");
    Route stalled(package);
    stalled.stallAfter = static_cast<std::int64_t>(package.size() - v2.LengthOf("readme.txt")) / 2;
    server.Serve(path, stalled);

    const auto receiveIdle = std::chrono::seconds(1);
    InProcessUpdate update(ShortTimings(receiveIdle));
    using Clock = std::chrono::steady_clock;
    Clock::time_point stalledAt{}, retriedAt{};
    std::thread watcher([&] {
        if (!server.WaitForStalls(1, 60000))
            return;
        stalledAt = Clock::now();
        // The attempt after the stalled one gets a healthy answer.
        server.Serve(path, Route(package));
        // The config request, the stalled request, then the retry.
        if (server.WaitForRequests(3, 60))
            retriedAt = Clock::now();
    });
    update.Run(root, server.Url(v2.ConfigPath()));
    watcher.join();
    server.ReleaseStalls();

    EXPECT_EQ(update.LastState(), ResourceUpdateDone);
    ExpectInstalled(root, v2);
    ASSERT_NE(stalledAt, Clock::time_point{});
    ASSERT_NE(retriedAt, Clock::time_point{});
    // Generous bounds: the attempt neither gives up at once nor waits much past the time-out (the
    // idle check runs about once a second).
    EXPECT_GE(retriedAt - stalledAt, receiveIdle / 2);
    EXPECT_LE(retriedAt - stalledAt, receiveIdle + std::chrono::seconds(10));
    std::printf("stalled attempt retried %.2f s after the stall\n",
                std::chrono::duration<double>(retriedAt - stalledAt).count());
}

TEST(NginxTransferFaultTest, MissingPackageOrConfigLeavesTheInstallationAlone) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    const std::string cdn = work.path() + "cdn/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
    v1.Install(root);
    testsupport::ReservedPort reserved;
    const int port = reserved.port();
    ASSERT_NE(port, 0);
    v2.WriteCdnFolder(cdn, port);
    std::filesystem::remove(cdn + "v2/kx_game.kxpkg");
    testsupport::NginxServer nginx(cdn, "v2", port);
    ASSERT_TRUE(nginx.running());
    const std::string config = nginx.baseUrl() + "/cdn/config/v2.txt";

    auto before = Fingerprints(root);
    ChildOutcome missingPackage = RunToEnd(UpdateCommand(root, config));
    EXPECT_EQ(missingPackage.exitCode, kUpdateDownloadFailed) << missingPackage.output;
    EXPECT_EQ(Fingerprints(root), before);

    ChildOutcome missingConfig = RunToEnd(UpdateCommand(root, nginx.baseUrl() + "/cdn/config/v3.txt"));
    EXPECT_EQ(missingConfig.exitCode, kUpdateConfigFailed) << missingConfig.output;
    EXPECT_EQ(Fingerprints(root), before);

    // Once the package is there, the same installation updates.
    v2.WriteCdnFolder(cdn, port);
    ChildOutcome healthy = RunToEnd(UpdateCommand(root, config));
    EXPECT_EQ(healthy.exitCode, kUpdateCurrent) << healthy.output;
    ExpectInstalled(root, v2);
}

}  // namespace
