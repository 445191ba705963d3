// Config answers of 200 that are broken: nothing usable in them, or a line that cannot be fetched
// as written. Each must end the check as a config failure (state 8, tolm-update exit 3) before
// anything is fetched or deleted, leaving the installation byte for byte as it was; a flood of
// line breaks does so within a memory limit.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "resources/ProgressStageTable.h"
#include "shell/StageTexts.h"

#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace faults;
using testsupport::Route;
using testsupport::TestHttpServer;

struct BrokenConfigCase {
    const char* label;
    std::string body;
    std::int64_t addressSpaceLimit = -1;  // bytes, for the updater's process
};

TEST(BrokenConfigTest, ABrokenConfigFailsTheCheckAndLeavesTheInstallAsItWas) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    const PublishedVersion v1 = GameV1();
    const PublishedVersion v2 = GameV2();
    auto lineWith = [&](const std::string& offset, const std::string& length) {
        return "data\\extra.dat=" + v2.Md5Of("readme.txt") + "=v2=" + offset + "=" + length + "=game\r\n";
    };
    const std::string readmeLength = std::to_string(v2.LengthOf("readme.txt"));
    const BrokenConfigCase cases[] = {
        {"an empty body", ""},
        {"a first line of blanks", " \r\n" + v2.config()},
        {"a JSON error", "{\"code\":403,\"msg\":\"forbidden\"}"},
        // Its lines with "=" parse as names without a range.
        {"an HTML error page",
         "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head><meta charset=\"utf-8\"><title>502 Bad "
         "Gateway</title></head>\r\n"
         "<body><center><h1>502 Bad Gateway</h1></center><hr><center>nginx</center></body>\r\n</html>\r\n"},
        // Parsing once kept a record per line break: about 17 GB for these.
        {"120 MB of line breaks", std::string(120 * 1000 * 1000, '\n'), std::int64_t(1536) << 20},
        // Memory runs out somewhere between the body, its copy and its parse, on a worker thread.
        {"120 MB of line breaks in 400 MiB", std::string(120 * 1000 * 1000, '\n'), std::int64_t(400) << 20},
        // Offset -1 asks for the whole package, every member into this one file.
        {"a line with offset -1", v2.config() + lineWith("-1", readmeLength)},
        {"a line with a negative length", v2.config() + lineWith("0", "-5")},
        {"a line with no range", v2.config() + "data\\extra.dat=" + v2.Md5Of("readme.txt") + "\r\n"},
        {"a range past any package", v2.config() + lineWith("9223372036854775000", readmeLength)},
    };
    for (const BrokenConfigCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(root);
        v1.Install(root);
        const auto before = Snapshot(root);
        TestHttpServer server;
        v2.ServeOn(server);
        server.Serve(v2.ConfigPath(), Route(c.body));

        FaultChild child;
        ChildOptions options;
        options.addressSpaceLimit = c.addressSpaceLimit;
        ASSERT_TRUE(child.Start(UpdateCommand(root, server.Url(v2.ConfigPath())), options));
        ChildOutcome outcome = child.Wait();
        EXPECT_EQ(outcome.signal, 0) << outcome.output;
        EXPECT_EQ(outcome.exitCode, kUpdateConfigFailed) << outcome.output;
        EXPECT_NE(outcome.output.find(StageTextForState(8)), std::string::npos) << outcome.output;
        EXPECT_EQ(Snapshot(root), before);
        for (const testsupport::RecordedRequest& request : server.Requests())
            EXPECT_EQ(request.path, v2.ConfigPath()) << "nothing but the config is fetched";
    }
}

}  // namespace
