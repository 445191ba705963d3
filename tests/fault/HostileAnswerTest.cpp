// Answers of the update-address service that no honest service gives: cut-off or mistyped JSON,
// nesting deep enough to exhaust a recursive parser, megabytes of garbage, nothing at all. The
// updater must report the failure (the player's message for results 2, 3 or 4), stay within a
// small memory bound and never crash.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "shell/StageTexts.h"

#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace faults;
using testsupport::Route;
using testsupport::TestHttpServer;

// Far above what tolm-update needs for such an answer, far below what holding a multi-megabyte
// answer several times over would take.
constexpr long kMemoryBoundKiB = 64 * 1024;

struct AnswerCase {
    const char* label;
    std::string answer;
    int result;  // RequestNoticeResult
};

std::vector<AnswerCase> AnswerCases() {
    std::string deep(200000, '[');
    std::string garbage = testsupport::RandomBytes(10 * 1024 * 1024, 5);
    return {
        {"an empty body", "", 3},
        {"truncated JSON", "{\"resdata\":[{\"Type\":\"pkg\",\"URL\":\"http://127.0.0.1/cdn/config/v2.txt\"", 3},
        {"an array at the top", "[{\"Type\":\"pkg\",\"URL\":\"http://127.0.0.1/cdn/config/v2.txt\"}]", 3},
        {"resdata as text", "{\"resdata\":\"pkg\"}", 3},
        {"resdata as an object", "{\"resdata\":{\"Type\":\"pkg\",\"URL\":\"http://127.0.0.1/x\"}}", 3},
        {"members of the wrong types", "{\"resdata\":[{\"Type\":7,\"URL\":[\"x\"]},null,3,\"pkg\",{\"Type\":\"pkg\"}]}",
         2},
        {"200,000 opening brackets", deep, 3},
        {"200,000 opening brackets inside resdata", "{\"resdata\":" + deep, 3},
        {"64 KiB of binary garbage", testsupport::RandomBytes(64 * 1024, 6), 3},
        // Past the 1 MiB bound of an answer the transfer is refused, like a failed request.
        {"10 MiB of garbage", garbage, 4},
    };
}

TEST(HostileAnswerTest, EveryBrokenAnswerIsReportedWithinBoundedMemory) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    v1.Install(root);
    auto before = Fingerprints(root);
    TestHttpServer server;
    for (const AnswerCase& c : AnswerCases()) {
        SCOPED_TRACE(c.label);
        server.Serve("/", Route(c.answer));
        ChildOutcome outcome = RunToEnd(UpdateCommandWithNotice(root, server.Url("")));
        EXPECT_EQ(outcome.exitCode, kUpdateNoticeFailed) << outcome.output;
        EXPECT_NE(outcome.output.find(NoticeFailureText(c.result)), std::string::npos) << outcome.output;
        EXPECT_LT(outcome.peakMemoryKiB, kMemoryBoundKiB);
        std::printf("%s: peak memory %ld KiB\n", c.label, outcome.peakMemoryKiB);
        EXPECT_EQ(Fingerprints(root), before);
    }
}

TEST(HostileAnswerTest, ALargeButHonestAnswerStillWorks) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
    v1.Install(root);
    TestHttpServer server;
    v2.ServeOn(server);
    // 900 KiB of other resources before the entry, within the bound of an answer.
    std::string answer = "{\"resdata\":[";
    while (answer.size() < 900 * 1024)
        answer += "{\"Type\":\"patch\",\"URL\":\"http://127.0.0.1/unused/" + std::to_string(answer.size()) + "\"},";
    answer += "{\"Type\":\"pkg\",\"URL\":\"" + server.Url(v2.ConfigPath()) + "\"}]}";
    server.Serve("/", Route(answer));
    ChildOutcome outcome = RunToEnd(UpdateCommandWithNotice(root, server.Url("")));
    EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
    ExpectInstalled(root, v2);
}

}  // namespace
