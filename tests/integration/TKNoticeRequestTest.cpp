#include "notice/TKNoticeRequest.h"

#include "support/RawHttpServer.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <regex>

namespace {

using testsupport::RawHttpServer;
using testsupport::Route;
using testsupport::TestHttpServer;

// Collects the callback's outcome, which arrives on the worker thread.
class Outcome {
public:
    TKNoticeRequest::NoticeCallback Callback() {
        return [this](const std::string& address, RequestNoticeResult result) {
            std::lock_guard<std::mutex> guard(mutex_);
            outcomes_.push_back({address, result});
            arrived_.notify_all();
        };
    }
    std::pair<std::string, RequestNoticeResult> Wait(std::size_t count = 1) {
        std::unique_lock<std::mutex> guard(mutex_);
        EXPECT_TRUE(arrived_.wait_for(guard, std::chrono::seconds(60), [&] { return outcomes_.size() >= count; }));
        return outcomes_.empty() ? std::pair<std::string, RequestNoticeResult>{"", RequestNoticeResult(0)}
                                 : outcomes_.back();
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::pair<std::string, RequestNoticeResult>> outcomes_;
};

DownloadTimings Fast() {
    DownloadTimings timings;
    timings.poll = std::chrono::milliseconds(1);
    timings.retryPause = std::chrono::milliseconds(5);
    return timings;
}

std::unique_ptr<NoticeRequestParams> Params() {
    auto params = std::make_unique<NoticeRequestParams>();
    params->deviceId = "0123456789ABCDEF0123456789ABCDEF";
    params->language = "0";
    params->packageName = "com.pemto.qrvo.pc.tolm";
    params->version = "1.0.0.1";
    return params;
}

TEST(TKNoticeRequestTest, SendsTheFormHeadersAndTheJsonBodyByPost) {
    RawHttpServer server("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n{}");
    TKNoticeRequest request(server.Url(""));
    request.SetTimings(Fast());
    Outcome outcome;
    request.SetNoticeCallback(outcome.Callback());
    ASSERT_TRUE(request.Start(Params()));
    outcome.Wait();
    ASSERT_EQ(server.Requests().size(), 1u);
    std::string raw = server.Requests()[0];
    std::vector<std::string> head = RawHttpServer::HeadLines(raw);
    ASSERT_GE(head.size(), 4u);
    EXPECT_EQ(head[0], "POST / HTTP/1.0");
    std::vector<std::string> expected = {
        "Accept: */*",
        "User-Agent:Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
        "Chrome/45.0.2454.101 Safari/537.36",
        "Content-Type:application/x-www-form-urlencoded;charset=UTF-8"};
    std::vector<std::string> ours;
    for (const std::string& line : head) {
        if (line.rfind("Accept", 0) == 0 || line.rfind("User-Agent", 0) == 0 || line.rfind("Content-Type", 0) == 0)
            ours.push_back(line);
    }
    EXPECT_EQ(ours, expected);
    EXPECT_TRUE(std::regex_match(
        RawHttpServer::Body(raw),
        std::regex(
            R"(\{"packagename":"com\.pemto\.qrvo\.pc\.tolm","version":"1\.0\.0\.1","deviceID":")"
            R"(0123456789ABCDEF0123456789ABCDEF","language":"0","resdata":\[\{"type":"pkg","md5":"default_md5"\}\],)"
            R"("t":"\d{10,}"\})")))
        << RawHttpServer::Body(raw);
}

TEST(TKNoticeRequestTest, AnswersOverTheWireAndTellsEachAttempt) {
    TestHttpServer server;
    server.Serve("/", Route("\xEF\xBB\xBF{\"resdata\":[{\"Type\":\"pkg\",\"URL\":\"http://cdn/x/y/v1.txt\"}]}"));
    TKNoticeRequest request(server.Url("/"));
    request.SetTimings(Fast());
    Outcome outcome;
    request.SetNoticeCallback(outcome.Callback());
    // Attempts are told on the worker thread as they begin, each before its request is sent.
    std::mutex attemptsLock;
    std::vector<std::pair<int, int>> attempts;
    std::vector<std::size_t> requestsBefore;
    request.SetAttemptCallback([&](int attempt, int maxAttempts) {
        std::lock_guard<std::mutex> guard(attemptsLock);
        attempts.emplace_back(attempt, maxAttempts);
        requestsBefore.push_back(server.RequestCount());
    });
    ASSERT_TRUE(request.Start(Params()));
    EXPECT_EQ(outcome.Wait(1), std::make_pair(std::string("http://cdn/x/y/v1.txt"), NoticeResultSuccess));
    // A retry reuses the request object: a fresh exchange, here failing every one of 5 attempts.
    Route failing;
    failing.status = 503;
    server.Serve("/", failing);
    ASSERT_TRUE(request.Start(Params()));
    EXPECT_EQ(outcome.Wait(2), std::make_pair(std::string(), NoticeResultRequestError));
    EXPECT_EQ(server.RequestCount(), 6u);
    std::lock_guard<std::mutex> guard(attemptsLock);
    const std::vector<std::pair<int, int>> told = {{1, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(attempts, told);
    EXPECT_EQ(requestsBefore, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
}

TEST(TKNoticeRequestTest, AnswerRules) {
    const struct {
        const char* label;
        std::string body;
        int transfer;
        RequestNoticeResult result;
        std::string address;
    } cases[] = {
        {"last pkg wins",
         R"({"resdata":[{"Type":"pkg","URL":"a"},{"Type":"other","URL":"b"},{"Type":"pkg","URL":"c"}]})", 200,
         NoticeResultSuccess, "c"},
        {"last pkg has an empty URL", R"({"resdata":[{"Type":"pkg","URL":"a"},{"Type":"pkg","URL":""}]})", 200,
         NoticeResultNoAddress, ""},
        {"pkg without URL is skipped", R"({"resdata":[{"Type":"pkg","URL":"a"},{"Type":"pkg"}]})", 200,
         NoticeResultSuccess, "a"},
        {"Type is case-sensitive", R"({"resdata":[{"Type":"PKG","URL":"a"}]})", 200, NoticeResultNoAddress, ""},
        {"empty resdata", R"({"resdata":[]})", 200, NoticeResultNoAddress, ""},
        {"no resdata", R"({"other":1})", 200, NoticeResultParseError, ""},
        {"null resdata", R"({"resdata":null})", 200, NoticeResultParseError, ""},
        {"not JSON", "<html>busy</html>", 200, NoticeResultParseError, ""},
        {"empty body", "", 200, NoticeResultParseError, ""},
        {"truncated JSON", R"({"resdata":[{"Type":"pkg","URL":"a"})", 200, NoticeResultParseError, ""},
        {"Chinese elsewhere",
         "{\"msg\":\"\xE6\x9B\xB4\xE6\x96\xB0\",\"resdata\":[{\"Type\":\"pkg\",\"URL\":\"http://h/a/b/c.txt\"}]}", 200,
         NoticeResultSuccess, "http://h/a/b/c.txt"},
        // Shapes the parser accepts but that do not fit.
        {"top level is an array", R"([{"resdata":[]}])", 200, NoticeResultParseError, ""},
        {"resdata is an object", R"({"resdata":{"Type":"pkg","URL":"a"}})", 200, NoticeResultParseError, ""},
        {"resdata is a string", R"({"resdata":"pkg"})", 200, NoticeResultParseError, ""},
        {"Type is a number", R"({"resdata":[{"Type":1,"URL":"a"}]})", 200, NoticeResultNoAddress, ""},
        {"URL is an object", R"({"resdata":[{"Type":"pkg","URL":{"u":"a"}}]})", 200, NoticeResultNoAddress, ""},
        {"element is not an object", R"({"resdata":[3,"pkg",null]})", 200, NoticeResultNoAddress, ""},
        {"deep nesting", std::string(100000, '[') + std::string(100000, ']'), 200, NoticeResultParseError, ""},
        // Values down to depth 63 are read (the top level is depth 0); one at depth 64 is refused.
        {"nesting at the limit", "{\"resdata\":[" + std::string(62, '[') + std::string(62, ']') + "]}", 200,
         NoticeResultNoAddress, ""},
        {"nesting past the limit", "{\"resdata\":[" + std::string(63, '[') + std::string(63, ']') + "]}", 200,
         NoticeResultParseError, ""},
        {"comments are skipped", "/* head */ {\"resdata\": // list\n [{\"Type\":\"pkg\",\"URL\":\"a\"}]}", 200,
         NoticeResultSuccess, "a"},
        {"text after the answer is ignored", R"({"resdata":[{"Type":"pkg","URL":"a"}]} <!-- cache -->)", 200,
         NoticeResultSuccess, "a"},
        {"not 200", R"({"resdata":[{"Type":"pkg","URL":"a"}]})", 404, NoticeResultRequestError, ""},
        {"cancelled", "", -2, NoticeResultRequestError, ""},
    };
    for (const auto& c : cases) {
        std::string address = "stale";
        EXPECT_EQ(TKNoticeRequest::InterpretAnswer(c.body, c.transfer, address), c.result) << c.label;
        EXPECT_EQ(address, c.address) << c.label;
    }
}

TEST(TKNoticeRequestTest, TenMegabytesOfGarbageIsAParseError) {
    std::string garbage(10 << 20, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
    std::string address;
    EXPECT_EQ(TKNoticeRequest::InterpretAnswer(garbage, 200, address), NoticeResultParseError);
}

}  // namespace
