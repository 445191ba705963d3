// Damaged package bytes: a file's gzip stream truncated, corrupted, followed by garbage, or asked
// for with a zero-length range (a config failure). The damaged file must not be recorded, and the
// next check against the intact publication must fetch it again and get it right.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InProcessUpdate.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "resources/ResourceManagerProgressInfo.h"

#include "support/CdnPublication.h"
#include "support/GzipData.h"
#include "support/NginxServer.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using namespace faults;
using testsupport::GzipBytes;
using testsupport::Md5LowerHex;
using testsupport::Route;
using testsupport::TestHttpServer;

// The victim: the second file v2 fetches, so damage sits inside the segment, not at its edges.
const std::string kVictim = "data\\maps.dat";

// v2 re-published with the victim's stream replaced by `damage(stream)`, and its config length
// set to `length(damaged stream)`; every other stream and line as published.
struct DamagedPublication {
    std::string config;
    std::string package;
};

DamagedPublication Damage(const PublishedVersion& version,
                          const std::function<std::string(const std::string&)>& damage,
                          const std::function<std::size_t(const std::string&)>& configLength) {
    DamagedPublication out;
    for (const VersionFile& file : version.files()) {
        std::string stream = GzipBytes(file.content);
        std::size_t length = stream.size();
        if (file.name == kVictim) {
            stream = damage(stream);
            length = configLength(stream);
        }
        out.config += file.name + "=" + Md5LowerHex(file.content) + "=" + file.packageDir + "=" +
                      std::to_string(out.package.size()) + "=" + std::to_string(length) + "=game\r\n";
        out.package += stream;
    }
    return out;
}

struct DamageCase {
    const char* label;
    std::function<std::string(const std::string&)> damage;
    std::function<std::size_t(const std::string&)> configLength;
    int failedState = ResourceDownloadFailed;
};

std::vector<DamageCase> DamageCases() {
    auto whole = [](const std::string& stream) { return stream.size(); };
    return {
        {"stream cut in half", [](const std::string& s) { return s.substr(0, s.size() / 2); }, whole},
        {"stream without its trailer", [](const std::string& s) { return s.substr(0, s.size() - 8); }, whole},
        {"a byte of the compressed data flipped",
         [](const std::string& s) {
             std::string d = s;
             d[d.size() / 2] = static_cast<char>(d[d.size() / 2] ^ 0x5A);
             return d;
         },
         whole},
        {"a byte of the checksum flipped",
         [](const std::string& s) {
             std::string d = s;
             d[d.size() - 6] = static_cast<char>(d[d.size() - 6] ^ 0x01);
             return d;
         },
         whole},
        {"the member followed by garbage", [](const std::string& s) { return s + "trailing garbage"; }, whole},
        {"the member followed by half a member",
         [](const std::string& s) { return s + GzipBytes("more").substr(0, 12); }, whole},
        // No range of no bytes holds a stream: the config fails as a whole, nothing is fetched.
        {"a zero-length range", [](const std::string& s) { return s; },
         [](const std::string&) { return std::size_t{0}; }, CdnCheckFailed},
    };
}

TEST(DamagedDataTest, ADamagedStreamIsNeverRecordedAndTheNextCheckRepairsIt) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
    InProcessUpdate update;
    for (const DamageCase& c : DamageCases()) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(root);
        v1.Install(root);
        TestHttpServer server;
        DamagedPublication damaged = Damage(v2, c.damage, c.configLength);
        server.Serve(v2.ConfigPath(), Route(damaged.config));
        server.Serve(PublishedVersion::PackagePath("v2"), Route(damaged.package));
        update.Run(root, server.Url(v2.ConfigPath()));
        EXPECT_EQ(update.LastState(), c.failedState);
        EXPECT_NE(RecordedVersions(root)[kVictim], v2.Md5Of(kVictim));
        ExpectNothingWrongRecorded(root, v2, {&v1});

        v2.ServeOn(server);
        update.Run(root, server.Url(v2.ConfigPath()));
        EXPECT_EQ(update.LastState(), ResourceUpdateDone);
        ExpectInstalled(root, v2);
    }
}

TEST(NginxDamagedDataTest, ACorruptPackageOnTheCdnFailsUntilItIsRepublished) {
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
    // The package on disk is damaged inside the victim's stream, as a bad copy to the CDN would.
    std::string package = v2.packages().at("v2");
    std::size_t inside = v2.OffsetOf(kVictim) + v2.LengthOf(kVictim) / 2;
    package[inside] = static_cast<char>(package[inside] ^ 0x5A);
    testsupport::WriteFileBytes(cdn + "v2/kx_game.kxpkg", package);
    testsupport::NginxServer nginx(cdn, "v2", port);
    ASSERT_TRUE(nginx.running());
    const std::string config = nginx.baseUrl() + "/cdn/config/v2.txt";

    ChildOutcome damaged = RunToEnd(UpdateCommand(root, config));
    EXPECT_EQ(damaged.exitCode, kUpdateDownloadFailed) << damaged.output;
    EXPECT_NE(RecordedVersions(root)[kVictim], v2.Md5Of(kVictim));
    ExpectNothingWrongRecorded(root, v2, {&v1});

    v2.WriteCdnFolder(cdn, port);
    ChildOutcome repaired = RunToEnd(UpdateCommand(root, config));
    EXPECT_EQ(repaired.exitCode, kUpdateCurrent) << repaired.output;
    ExpectInstalled(root, v2);
}

}  // namespace
