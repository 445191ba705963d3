#include "download/DownloadTextProcessor.h"
#include "download/HttpTransfer.h"
#include "support/CapturedOutput.h"
#include "support/GzipData.h"
#include "support/RawHttpServer.h"
#include "support/RecordingProcessor.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <limits>
#include <string>
#include <vector>

using testsupport::RawHttpServer;
using testsupport::RecordingProcessor;
using testsupport::Route;
using testsupport::TestHttpServer;

namespace {

const char kUserAgent[] =
    "User-Agent:Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";
const char kOkResponse[] = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";

DownloadTimings FastTimings() {
    DownloadTimings timings;
    timings.retryPause = std::chrono::milliseconds(10);
    timings.receiveIdle = std::chrono::milliseconds(5000);
    return timings;
}

class HttpTransferTest : public ::testing::Test {
protected:
    HttpTransferTest() {
        transfer.SetTimings(FastTimings());
        transfer.SetMaxAttempts(1);
    }

    int Get(const std::string& url,
            DownloadDataProcessor& processor,
            std::int64_t offset = -1,
            std::uint32_t length = 0) {
        return transfer.Transfer(url, &processor, kVerbGet, "", offset, length);
    }

    testsupport::IsolatedHome home;
    HttpTransfer transfer;
};

// ---- what the server sees ------------------------------------------------------------------

TEST_F(HttpTransferTest, GetSendsHttp10WithExactlyTheFormHeaderSetAndNoBody) {
    RawHttpServer server(kOkResponse);
    RecordingProcessor processor;
    // Backslashes are separators; the query travels unchanged; a GET body is never sent.
    std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "\\dir\\file.bin?r=20240305180709";
    EXPECT_EQ(transfer.Transfer(url, &processor, kVerbGet, "ignored body", -1, 0), 200);

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string raw = server.Requests()[0];
    std::vector<std::string> expected = {
        "GET /dir/file.bin?r=20240305180709 HTTP/1.0",
        "Host: 127.0.0.1:" + std::to_string(server.port()),
        "Accept: */*",
        kUserAgent,
        "Content-Type:application/x-www-form-urlencoded;charset=UTF-8",
    };
    EXPECT_EQ(RawHttpServer::HeadLines(raw), expected);
    EXPECT_EQ(RawHttpServer::Body(raw), "");
    EXPECT_EQ(processor.Body(), "ok");
}

TEST_F(HttpTransferTest, PostSendsTheJsonHeaderSetAndTheBodyBytes) {
    RawHttpServer server(kOkResponse);
    RecordingProcessor processor;
    transfer.UseJsonHeaders();
    std::string body = "{\"name\":\"舰队\",\"t\":\"1700000000\"}";
    EXPECT_EQ(transfer.Transfer(server.Url("/"), &processor, kVerbPost, body, -1, 0), 200);

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string raw = server.Requests()[0];
    std::vector<std::string> expected = {
        "POST / HTTP/1.0",
        "Host: 127.0.0.1:" + std::to_string(server.port()),
        "Accept: */*",
        kUserAgent,
        "Content-Type:application/json;charset=UTF-8",
        "Content-Length: " + std::to_string(body.size()),
    };
    EXPECT_EQ(RawHttpServer::HeadLines(raw), expected);
    EXPECT_EQ(RawHttpServer::Body(raw), body);
}

TEST_F(HttpTransferTest, RangeLineFollowsTheHeaderSet) {
    struct Case {
        std::int64_t offset;
        std::uint32_t length;
        const char* rangeLine;  // null: no Range line
    };
    const Case cases[] = {
        {-1, 0, nullptr},
        {-7, 50, nullptr},
        {0, 100, "Range: bytes=0-99"},
        {100, 0, "Range: bytes=100-99"},
        {5000000000LL, 4294967295u, "Range: bytes=5000000000-9294967294"},
    };
    RawHttpServer server(kOkResponse);
    for (const Case& c : cases) {
        RecordingProcessor processor;
        Get(server.Url("/pkg"), processor, c.offset, c.length);
        ASSERT_TRUE(server.WaitForRequests(1));
        std::vector<std::string> lines = RawHttpServer::HeadLines(server.Requests().back());
        SCOPED_TRACE(c.offset);
        ASSERT_EQ(lines.size(), c.rangeLine ? 6u : 5u);
        if (c.rangeLine)
            EXPECT_EQ(lines.back(), c.rangeLine);
        else
            EXPECT_EQ(lines.back().rfind("Content-Type:", 0), 0u);
    }
}

TEST_F(HttpTransferTest, ProxyFromTheEnvironmentIsUsed) {
    RawHttpServer proxy(kOkResponse);
    home.environment().Set("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    home.environment().Unset("no_proxy");
    home.environment().Unset("NO_PROXY");
    RecordingProcessor processor;
    EXPECT_EQ(Get("http://cdn.tolm.invalid/p01/kx_game.kxpkg", processor), 200);
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(RawHttpServer::HeadLines(proxy.Requests()[0]).front(),
              "GET http://cdn.tolm.invalid/p01/kx_game.kxpkg HTTP/1.0");
}

TEST_F(HttpTransferTest, HttpsIsSpokenForAnHttpsUrlOnAnyPort) {
    // A plain server on a port other than 443: a TLS client cannot talk to it.
    TestHttpServer server;
    server.Serve("/file", Route{"content"});
    RecordingProcessor processor;
    std::string url = "https://127.0.0.1:" + std::to_string(server.port()) + "/file";
    EXPECT_EQ(Get(url, processor), kTransferNetworkFailed);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_EQ(processor.Calls(), "F");
}

TEST_F(HttpTransferTest, CertificatesAreVerified) {
    TestHttpServer server(TestHttpServer::kTls);
    server.Serve("/file", Route("content"));
    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/file"), processor), kTransferNetworkFailed);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_EQ(processor.Calls(), "F");
}

// ---- answers ---------------------------------------------------------------------------------

TEST_F(HttpTransferTest, RangesAreAcceptedOnlyWhenTheAnswerHoldsExactlyTheAskedBytes) {
    const std::string file = testsupport::RandomBytes(5000, 1);
    struct Case {
        const char* name;
        Route route;
        std::int64_t offset;
        std::uint32_t length;
        int result;
    };
    auto route = [&file](auto change) {
        Route made(file);
        change(made);
        return made;
    };
    auto unchanged = [](Route&) {};
    std::vector<Case> cases = {
        {"206 with the asked range", route(unchanged), 1000, 1500, 200},
        {"206 of a range at the very start", route(unchanged), 0, 10, 200},
        {"206 that names another range", route([](Route& r) { r.rangeShift = 7; }), 1000, 1500, -3},
        {"200 with the whole file", route([](Route& r) { r.honourRange = false; }), 1000, 1500, -3},
        {"200 whose length is the range's", route([](Route& r) { r.honourRange = false; }), 0, 5000, 200},
        {"206 followed by more bytes", route([](Route& r) { r.overrun = "EXTRA"; }), 1000, 1500, -3},
        {"range beyond the file", route(unchanged), 6000, 10, 416},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestHttpServer server;
        server.Serve("/pkg", c.route);
        RecordingProcessor processor;
        EXPECT_EQ(Get(server.Url("/pkg"), processor, c.offset, c.length), c.result);
        if (c.result == 200) {
            EXPECT_EQ(processor.Calls().front(), 'B');
            EXPECT_EQ(processor.Body(), file.substr(static_cast<std::size_t>(c.offset), c.length));
        } else {
            // Not one byte of a wrong answer reaches the processor.
            EXPECT_EQ(processor.Calls(), "F");
        }
    }
}

TEST_F(HttpTransferTest, BodyArrivesInChunksOfAtMost1024Bytes) {
    const std::string file = testsupport::RandomBytes(300 * 1024 + 17, 2);
    TestHttpServer server;
    server.Serve("/big", Route{file});
    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/big"), processor), 200);
    EXPECT_EQ(processor.Body(), file);
    EXPECT_LE(processor.LargestWrite(), 1024u);
    EXPECT_EQ(processor.LastContentLength(), file.size());
    EXPECT_EQ(processor.Calls().front(), 'B');
    EXPECT_EQ(processor.Calls().back(), 'F');
}

TEST_F(HttpTransferTest, EmptyBodyStillBeginsAndFinishes) {
    TestHttpServer server;
    server.Serve("/empty", Route{""});
    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/empty"), processor), 200);
    EXPECT_EQ(processor.Calls(), "BF");
}

TEST_F(HttpTransferTest, RedirectIsFollowed) {
    TestHttpServer server;
    Route moved;
    moved.location = "/new";
    server.Serve("/old", moved);
    server.Serve("/new", Route{"moved content"});
    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/old"), processor), 200);
    EXPECT_EQ(processor.Body(), "moved content");
}

// ---- attempts and failures -----------------------------------------------------------------

TEST_F(HttpTransferTest, ErrorStatusIsRetriedAndReturnedWithoutTouchingTheBody) {
    TestHttpServer server;
    Route missing;
    missing.status = 404;
    server.Serve("/missing", missing);
    transfer.SetMaxAttempts(3);

    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/missing"), processor), 404);
    EXPECT_EQ(server.RequestCount(), 3u);
    EXPECT_EQ(processor.Calls(), "FFF");

    RecordingProcessor refusing;
    refusing.acceptFinish = false;
    EXPECT_EQ(Get(server.Url("/missing"), refusing), kTransferNetworkFailed);
    EXPECT_EQ(refusing.Calls(), "FFF");
}

TEST_F(HttpTransferTest, FailuresBeforeSuccessLeaveOnlyTheLastBody) {
    TestHttpServer server;
    Route flaky{"final body"};
    flaky.failFirst = 2;
    server.Serve("/flaky", flaky);
    transfer.SetMaxAttempts(3);
    DownloadTextProcessor text(DownloadTaskInfo{});
    EXPECT_EQ(Get(server.Url("/flaky"), text), 200);
    EXPECT_EQ(server.RequestCount(), 3u);
    std::string content;
    ASSERT_TRUE(text.GetContent(content));
    EXPECT_EQ(content, "final body");
}

TEST_F(HttpTransferTest, ConnectionCutMidBodyIsRetriedAndTheBodyIsWhole) {
    const std::string file = testsupport::RandomBytes(64 * 1024, 3);
    TestHttpServer server;
    Route cut{file};
    cut.cutAfter = 20000;
    server.Serve("/cut", cut);
    transfer.SetMaxAttempts(2);
    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/cut"), processor, 0, static_cast<std::uint32_t>(file.size())), 200);
    EXPECT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(processor.Body(), file);
    EXPECT_EQ(processor.FinishCount(), 2);
}

TEST_F(HttpTransferTest, ProcessorRefusalsGiveTheirCodesOnEveryAttempt) {
    TestHttpServer server;
    server.Serve("/file", Route{testsupport::RandomBytes(4000, 4)});
    transfer.SetMaxAttempts(2);

    RecordingProcessor noBegin;
    noBegin.acceptBegin = false;
    EXPECT_EQ(Get(server.Url("/file"), noBegin), kTransferBeginRefused);
    EXPECT_EQ(noBegin.Calls(), "BFBF");

    RecordingProcessor noWrite;
    noWrite.acceptWrite = false;
    EXPECT_EQ(Get(server.Url("/file"), noWrite), kTransferWriteRefused);
    EXPECT_EQ(noWrite.Calls(), "BWFBWF");

    RecordingProcessor noFinish;
    noFinish.acceptFinish = false;
    EXPECT_EQ(Get(server.Url("/file"), noFinish), kTransferNetworkFailed);
    EXPECT_EQ(server.RequestCount(), 6u);
}

TEST_F(HttpTransferTest, CancelMidBodyStopsAtOnceWithOneFinish) {
    const std::string file = testsupport::RandomBytes(20000, 5);
    TestHttpServer server;
    Route stalled{file};
    stalled.stallAfter = 6000;
    server.Serve("/stall", stalled);
    transfer.SetMaxAttempts(3);
    DownloadTimings slow = FastTimings();
    slow.retryPause = std::chrono::minutes(10);  // a pause would hold the test far beyond its limit
    transfer.SetTimings(slow);

    RecordingProcessor processor;
    auto running = std::async(std::launch::async, [&] { return Get(server.Url("/stall"), processor); });
    ASSERT_TRUE(processor.WaitForBytes(6000));
    transfer.Cancel();
    EXPECT_EQ(running.get(), kTransferCancelled);
    EXPECT_EQ(processor.FinishCount(), 1);
    EXPECT_EQ(server.RequestCount(), 1u);

    // The cancellation stands until it is reset: nothing is requested meanwhile.
    RecordingProcessor later;
    EXPECT_EQ(Get(server.Url("/stall"), later), kTransferCancelled);
    EXPECT_EQ(later.Calls(), "");
    transfer.ResetCancel();
    server.ReleaseStalls();
    EXPECT_EQ(Get(server.Url("/stall"), later), 200);
    EXPECT_EQ(later.Body(), file);
}

TEST_F(HttpTransferTest, StalledAnswerFailsAfterTheIdleTime) {
    TestHttpServer server;
    Route stalled{testsupport::RandomBytes(8000, 6)};
    stalled.stallAfter = 1000;
    server.Serve("/stall", stalled);
    DownloadTimings timings = FastTimings();
    timings.receiveIdle = std::chrono::milliseconds(300);
    transfer.SetTimings(timings);

    testsupport::CapturedOutput output;
    RecordingProcessor processor;
    EXPECT_EQ(Get(server.Url("/stall"), processor), kTransferNetworkFailed);
    EXPECT_EQ(processor.Calls().front(), 'B');
    EXPECT_EQ(processor.FinishCount(), 1);
    EXPECT_EQ(output.Text(), "请求网络数据失败\r\n");
}

TEST_F(HttpTransferTest, RefusedConnectionIsANetworkFailureTracedOncePerAttempt) {
    std::string url;
    {
        RawHttpServer closed(kOkResponse);
        url = closed.Url("/pkg");
    }
    transfer.SetMaxAttempts(2);
    testsupport::CapturedOutput output;
    RecordingProcessor processor;
    EXPECT_EQ(Get(url, processor), kTransferNetworkFailed);
    EXPECT_EQ(processor.Calls(), "FF");
    EXPECT_EQ(output.Text(), "请求网络数据失败\r\n请求网络数据失败\r\n");
}

TEST_F(HttpTransferTest, RequestsThatCannotBeMadeReturnMinusOneWithoutNetworkOrProcessor) {
    TestHttpServer server;
    server.Serve("/file", Route{"content"});
    std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    struct Case {
        const char* name;
        std::string url;
        std::int64_t offset;
        std::uint32_t length;
    };
    std::vector<Case> cases = {
        {"empty", "", -1, 0},
        {"no scheme", "127.0.0.1/file", -1, 0},
        {"not a URL", "::::", -1, 0},
        {"unknown scheme", "ftp://127.0.0.1:" + std::to_string(server.port()) + "/file", -1, 0},
        {"file scheme", "file:///etc/passwd", -1, 0},
        {"no host", "http:///file", -1, 0},
        {"host too long", "http://" + std::string(2084, 'a') + "/file", -1, 0},
        {"object too long", base + "/" + std::string(2083, 'x'), -1, 0},
        {"range end not representable", base + "/file", std::numeric_limits<std::int64_t>::max(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingProcessor processor;
        EXPECT_EQ(Get(c.url, processor, c.offset, c.length), kTransferInvalid);
        EXPECT_EQ(processor.Calls(), "");
    }
    EXPECT_EQ(transfer.Transfer(base + "/file", nullptr, kVerbGet, "", -1, 0), kTransferInvalid);
    transfer.SetMaxAttempts(0);
    RecordingProcessor processor;
    EXPECT_EQ(Get(base + "/file", processor), kTransferInvalid);
    EXPECT_EQ(processor.Calls(), "");
    EXPECT_EQ(server.RequestCount(), 0u);

    // The longest object that still fits is requested.
    transfer.SetMaxAttempts(1);
    EXPECT_EQ(Get(base + "/" + std::string(2082, 'x'), processor), 404);
    EXPECT_EQ(server.RequestCount(), 1u);
}

}  // namespace
