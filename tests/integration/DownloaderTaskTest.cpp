#include "download/DownloaderTask.h"
#include "support/CapturedOutput.h"
#include "support/RecordingProcessor.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

using testsupport::RecordingProcessor;
using testsupport::Route;
using testsupport::TestHttpServer;

namespace {

std::size_t Count(const std::string& text, const std::string& pattern) {
    std::regex expression(pattern);
    return static_cast<std::size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), expression), std::sregex_iterator()));
}

// Feeds a worker from a queue of URLs and records what comes back.
class Feeder {
public:
    explicit Feeder(DownloaderTask& worker) {
        DownloadTimings timings;
        timings.poll = std::chrono::milliseconds(1);
        timings.retryPause = std::chrono::milliseconds(10);
        worker.SetTimings(timings);
        worker.GetNextSegment = [this](SegmentDownloadTaskInfo* segment) {
            std::lock_guard<std::mutex> guard(mutex_);
            if (queue_.empty())
                return 0;
            DownloadTaskInfo task;
            task.url = queue_.front();
            task.name = task.url;
            queue_.pop_front();
            segment->url = task.url;
            segment->offset = -1;
            segment->tasks = {task};
            return 1;
        };
        worker.GetProcessor = [this](const DownloadTaskInfo&) { return &processor; };
        worker.OnTaskResult = [this](const DownloadTaskResultInfo& result) {
            std::lock_guard<std::mutex> guard(mutex_);
            results_.push_back(result.result);
            bodies_.push_back(processor.Body());
            changed_.notify_all();
        };
    }

    void Queue(const std::string& url) {
        std::lock_guard<std::mutex> guard(mutex_);
        queue_.push_back(url);
    }
    bool WaitForResults(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return results_.size() >= count; });
    }
    std::vector<std::string> Bodies() {
        std::lock_guard<std::mutex> guard(mutex_);
        return bodies_;
    }

    RecordingProcessor processor;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queue_;
    std::vector<int> results_;
    std::vector<std::string> bodies_;
};

class DownloaderTaskTest : public ::testing::Test {
protected:
    testsupport::IsolatedHome home;
    TestHttpServer server;
};

TEST_F(DownloaderTaskTest, RefusesToStartWithoutASupplyOfSegments) {
    DownloaderTask worker;
    EXPECT_FALSE(worker.Start());
    EXPECT_FALSE(worker.IsRunning());
}

TEST_F(DownloaderTaskTest, StartFromTheExitCallbackKeepsTheThreadAndServesTheWork) {
    server.Serve("/one", Route("one"));
    server.Serve("/two", Route("two"));
    testsupport::CapturedOutput output;
    {
        DownloaderTask worker;
        Feeder feeder(worker);
        int exits = 0;
        worker.OnWorkerExit = [&](DownloaderTask* exiting) {
            if (++exits == 1) {
                EXPECT_FALSE(exiting->IsRunning());
                feeder.Queue(server.Url("/two"));
                EXPECT_TRUE(exiting->Start());
            }
        };
        feeder.Queue(server.Url("/one"));
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(feeder.WaitForResults(2));
        worker.Join();
        EXPECT_EQ(exits, 2);
        EXPECT_EQ(feeder.Bodies(), (std::vector<std::string>{"one", "two"}));
    }
    EXPECT_EQ(Count(output.Text(), "启动下载线程\t[0-9]+\r\n"), 1u);
    EXPECT_EQ(Count(output.Text(), "下载线程退出\t[0-9]+\r\n"), 1u);
}

TEST_F(DownloaderTaskTest, StartAfterTheThreadEndedMakesANewThread) {
    server.Serve("/one", Route("one"));
    testsupport::CapturedOutput output;
    {
        DownloaderTask worker;
        Feeder feeder(worker);
        for (int round = 1; round <= 2; ++round) {
            feeder.Queue(server.Url("/one"));
            ASSERT_TRUE(worker.Start());
            ASSERT_TRUE(feeder.WaitForResults(static_cast<std::size_t>(round)));
            worker.Join();
            EXPECT_FALSE(worker.IsRunning());
        }
    }
    EXPECT_EQ(Count(output.Text(), "启动下载线程\t[0-9]+\r\n"), 2u);
    EXPECT_EQ(Count(output.Text(), "下载线程退出\t[0-9]+\r\n"), 2u);
}

TEST_F(DownloaderTaskTest, VerbBodyAndHeaderSetComeFromTheWorker) {
    server.Serve("/api", Route("answer"));
    bool given = false;  // touched by the worker thread only
    DownloaderTask worker;
    Feeder feeder(worker);
    worker.verb = kVerbPost;
    worker.useJson = true;
    worker.maxAttempts = 1;
    worker.GetNextSegment = [this, &given](SegmentDownloadTaskInfo* segment) {
        if (given)
            return 0;
        given = true;
        DownloadTaskInfo task;
        task.url = server.Url("/api");
        task.postData = "{\"a\":1}";
        segment->url = task.url;
        segment->postData = task.postData;
        segment->offset = -1;
        segment->tasks = {task};
        return 1;
    };
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(feeder.WaitForResults(1));
    ASSERT_EQ(server.RequestCount(), 1u);
    const testsupport::RecordedRequest request = server.Requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.version, "HTTP/1.0");
    EXPECT_EQ(request.body, "{\"a\":1}");
    EXPECT_EQ(request.Header("Content-Type"), "application/json;charset=UTF-8");
    EXPECT_EQ(feeder.Bodies(), (std::vector<std::string>{"answer"}));
}

}  // namespace
