#include "download/AsyncHttpRequest.h"
#include "support/CapturedOutput.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <utility>
#include <vector>

using testsupport::Route;
using testsupport::TestHttpServer;

namespace {

struct Address : AsyncHttpRequest::Parameters {
    explicit Address(std::string text) : url(std::move(text)) {}
    std::string url;
};

// Sends the parameters' URL with a fixed body and records every answer.
class TestRequest : public AsyncHttpRequest {
public:
    TestRequest(HttpVerb verb, bool json, int attempts) : verb_(verb), json_(json), attempts_(attempts) {
        DownloadTimings timings;
        timings.poll = std::chrono::milliseconds(1);
        timings.retryPause = std::chrono::milliseconds(10);
        SetTimings(timings);
    }
    ~TestRequest() override { Wait(); }

    struct Answer {
        std::string body;
        int result;
    };

    bool WaitForAnswers(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return answers_.size() >= count; });
    }
    std::vector<Answer> Answers() {
        std::lock_guard<std::mutex> guard(mutex_);
        return answers_;
    }

    // What the virtual operations answer from now on.
    void Change(HttpVerb verb, bool json, int attempts) {
        verb_ = verb;
        json_ = json;
        attempts_ = attempts;
    }

protected:
    void BuildRequest(std::string& url, std::string& body) override {
        url = static_cast<const Address*>(parameters())->url;
        body = "{\"packagename\":\"com.pemto.qrvo.pc.tolm\"}";
    }
    HttpVerb GetVerb() override { return verb_; }
    bool UseJsonContentType() override { return json_; }
    int GetMaxAttempts() override { return attempts_; }
    void OnResponse(std::string body, int result) override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            answers_.push_back({std::move(body), result});
        }
        changed_.notify_all();
    }

private:
    HttpVerb verb_;
    bool json_;
    int attempts_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Answer> answers_;
};

class AsyncHttpRequestTest : public ::testing::Test {
protected:
    testsupport::IsolatedHome home;
    TestHttpServer server;
};

TEST_F(AsyncHttpRequestTest, AnswerArrivesWithoutByteOrderMark) {
    server.Serve("/", Route("\xEF\xBB\xBF{\"resdata\":[]}"));
    TestRequest request(kVerbPost, false, 5);
    ASSERT_TRUE(request.Start(std::make_unique<Address>(server.Url("/"))));
    ASSERT_TRUE(request.WaitForAnswers(1));
    EXPECT_EQ(request.Answers()[0].body, "{\"resdata\":[]}");
    EXPECT_EQ(request.Answers()[0].result, 200);

    ASSERT_EQ(server.RequestCount(), 1u);
    const testsupport::RecordedRequest sent = server.Requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.body, "{\"packagename\":\"com.pemto.qrvo.pc.tolm\"}");
    EXPECT_EQ(sent.Header("Content-Type"), "application/x-www-form-urlencoded;charset=UTF-8");
    EXPECT_FALSE(sent.HasHeader("Range"));
}

TEST_F(AsyncHttpRequestTest, FailureAfterEveryAttemptGivesTheStatusAndNoBody) {
    Route missing;
    missing.status = 404;
    missing.statusBody = "this body must not arrive";
    server.Serve("/", missing);
    TestRequest request(kVerbPost, false, 3);
    ASSERT_TRUE(request.Start(std::make_unique<Address>(server.Url("/"))));
    ASSERT_TRUE(request.WaitForAnswers(1));
    request.Wait();
    ASSERT_EQ(request.Answers().size(), 1u);
    EXPECT_EQ(request.Answers()[0].body, "");
    EXPECT_EQ(request.Answers()[0].result, 404);
    EXPECT_EQ(server.RequestCount(), 3u);
}

TEST_F(AsyncHttpRequestTest, LaterStartsReuseTheWorkerAndItsFirstSettings) {
    server.Serve("/a", Route("first"));
    server.Serve("/b", Route("second"));
    testsupport::CapturedOutput output;
    {
        TestRequest request(kVerbGet, true, 1);
        ASSERT_TRUE(request.Start(std::make_unique<Address>(server.Url("/a"))));
        ASSERT_TRUE(request.WaitForAnswers(1));
        request.Wait();  // the thread has ended: the next start makes a new one
        request.Change(kVerbPost, false, 5);
        ASSERT_TRUE(request.Start(std::make_unique<Address>(server.Url("/b"))));
        ASSERT_TRUE(request.WaitForAnswers(2));
        EXPECT_EQ(request.Answers()[1].body, "second");
    }
    std::vector<testsupport::RecordedRequest> sent = server.Requests();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& one : sent) {
        EXPECT_EQ(one.method, "GET");
        EXPECT_EQ(one.Header("Content-Type"), "application/json;charset=UTF-8");
        EXPECT_EQ(one.body, "");
    }
    std::string text = output.Text();
    std::regex started("启动下载线程\t[0-9]+\r\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), started), std::sregex_iterator()), 2);
}

TEST_F(AsyncHttpRequestTest, StartRightAfterAnAnswerIsServed) {
    // Each start follows the previous answer at once, while the worker may be leaving its loop.
    server.Serve("/", Route("again"));
    TestRequest request(kVerbPost, false, 1);
    for (std::size_t round = 1; round <= 30; ++round) {
        ASSERT_TRUE(request.Start(std::make_unique<Address>(server.Url("/"))));
        ASSERT_TRUE(request.WaitForAnswers(round)) << round;
    }
    request.Wait();
    EXPECT_EQ(request.Answers().size(), 30u);
    EXPECT_EQ(server.RequestCount(), 30u);
}

}  // namespace
