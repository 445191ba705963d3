#include "download/CDNResourceDataProcessor.h"
#include "download/DownloadTextProcessor.h"
#include "download/DownloaderTaskDispatcher.h"
#include "download/DownloaderTaskProcessor.h"
#include "support/CapturedOutput.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

using testsupport::Route;
using testsupport::TestHttpServer;

namespace {

DownloadTimings FastTimings() {
    DownloadTimings timings;
    timings.poll = std::chrono::milliseconds(1);
    timings.retryPause = std::chrono::milliseconds(10);
    timings.receiveIdle = std::chrono::milliseconds(10000);
    return timings;
}

// The dispatcher's owner: makes one processor per task (text, or a file below `fileRoot`),
// keeps each result with what its processor held, and counts drained runs.
class Owner : public DownloaderTaskProcessor {
public:
    std::string fileRoot;                    // not empty: file processors below this folder
    std::set<std::string> withoutProcessor;  // names that get none

    // Runs inside OnAllTasksFinished, on the worker thread.
    void WhenAllFinished(std::function<void()> action) {
        std::lock_guard<std::mutex> guard(mutex_);
        whenAllFinished_ = std::move(action);
    }

    DownloadDataProcessor* GetProcessor(const DownloadTaskInfo& task) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (withoutProcessor.count(task.name))
            return nullptr;
        std::unique_ptr<DownloadDataProcessor> processor;
        if (fileRoot.empty()) {
            processor = std::make_unique<DownloadTextProcessor>(task);
        } else {
            auto file = std::make_unique<CDNResourceDataProcessor>(task);
            file->SetBaseDir(fileRoot);
            file->SetStagingFolder(fileRoot + "staging/");
            processor = std::move(file);
        }
        DownloadDataProcessor* raw = processor.get();
        processors_[task.name] = std::move(processor);
        return raw;
    }

    void OnTaskResult(const DownloadTaskResultInfo& result) override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            results_[result.name] = result.result;
            auto found = processors_.find(result.name);
            if (found != processors_.end()) {
                found->second->GetContent(contents_[result.name]);
                processors_.erase(found);
            }
        }
        changed_.notify_all();
    }

    void OnAllTasksFinished() override {
        std::function<void()> action;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            ++finishedRuns_;
            action = whenAllFinished_;
        }
        changed_.notify_all();
        if (action)
            action();
    }

    bool WaitForResults(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return results_.size() >= count; });
    }
    bool WaitForFinishedRuns(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return finishedRuns_ >= count; });
    }
    std::map<std::string, int> Results() {
        std::lock_guard<std::mutex> guard(mutex_);
        return results_;
    }
    std::string Content(const std::string& name) {
        std::lock_guard<std::mutex> guard(mutex_);
        return contents_[name];
    }
    int FinishedRuns() {
        std::lock_guard<std::mutex> guard(mutex_);
        return finishedRuns_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> whenAllFinished_;
    std::map<std::string, std::unique_ptr<DownloadDataProcessor>> processors_;
    std::map<std::string, int> results_;
    std::map<std::string, std::string> contents_;
    int finishedRuns_ = 0;
};

// A package: files packed back to back, each described by a task.
struct Package {
    std::string bytes;
    std::vector<DownloadTaskInfo> tasks;

    void Add(const std::string& url, const std::string& name, const std::string& stored) {
        DownloadTaskInfo task;
        task.url = url;
        task.name = name;
        task.kind = 2;
        task.packageDir = "p01";
        task.offset = static_cast<std::int64_t>(bytes.size());
        task.length = static_cast<std::uint32_t>(stored.size());
        bytes += stored;
        tasks.push_back(task);
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::size_t CountMatching(const std::vector<std::string>& lines, const std::string& pattern) {
    std::regex expression(pattern);
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return std::regex_match(line, expression); }));
}

class DispatcherTest : public ::testing::Test {
protected:
    std::unique_ptr<DownloaderTaskDispatcher> MakeDispatcher(int maxThreads) {
        auto dispatcher = std::make_unique<DownloaderTaskDispatcher>(&owner, maxThreads);
        dispatcher->SetTimings(FastTimings());
        return dispatcher;
    }

    DownloadTaskInfo Task(const std::string& path,
                          const std::string& name,
                          std::int64_t offset = -1,
                          std::uint32_t length = 0) {
        DownloadTaskInfo task;
        task.url = server.Url(path);
        task.name = name;
        task.offset = offset;
        task.length = length;
        return task;
    }

    testsupport::IsolatedHome home;
    TestHttpServer server;
    Owner owner;  // outlives every dispatcher of a test
};

TEST_F(DispatcherTest, FilesOfTwoPackagesArriveIntactDespiteACutConnection) {
    testsupport::TempFolder root;
    owner.fileRoot = root.path();
    Package first, second;
    std::map<std::string, std::string> expected;
    for (int i = 0; i < 6; ++i) {
        std::string name = "maps\\m" + std::to_string(i) + ".dat";
        expected[name] = testsupport::RandomBytes(1000 + 3000 * static_cast<std::size_t>(i), 20 + i);
        first.Add(server.Url("/p01/kx_game.kxpkg"), name, testsupport::GzipBytes(expected[name]));
    }
    for (int i = 0; i < 3; ++i) {
        std::string name = "ui\\u" + std::to_string(i) + ".txt";
        expected[name] = "text file " + std::to_string(i);
        second.Add(server.Url("/p02/kx_game.kxpkg"), name, expected[name]);  // stored uncompressed
    }
    Route cut(first.bytes);
    cut.cutAfter = static_cast<std::int64_t>(first.bytes.size() / 2);
    server.Serve("/p01/kx_game.kxpkg", cut);
    server.Serve("/p02/kx_game.kxpkg", Route(second.bytes));

    std::vector<DownloadTaskInfo> tasks = first.tasks;
    tasks.insert(tasks.end(), second.tasks.begin(), second.tasks.end());
    std::shuffle(tasks.begin(), tasks.end(), std::mt19937(5));
    auto dispatcher = MakeDispatcher(3);
    EXPECT_EQ(dispatcher->AddTasks(tasks), 1);
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));

    for (const auto& [name, result] : owner.Results())
        EXPECT_EQ(result, 200) << name;
    EXPECT_EQ(owner.Results().size(), expected.size());
    for (const auto& [name, data] : expected) {
        std::string path = root.path() + name;
        std::replace(path.begin(), path.end(), '\\', '/');
        EXPECT_EQ(testsupport::ReadFileBytes(path), data) << name;
        EXPECT_FALSE(testsupport::PathExists(path + ".t")) << name;
    }
    // One request per package, plus the one retry after the cut.
    std::vector<std::string> ranges;
    for (const auto& request : server.Requests())
        ranges.push_back(request.path + " " + request.Header("Range"));
    std::sort(ranges.begin(), ranges.end());
    std::string whole1 = "bytes=0-" + std::to_string(first.bytes.size() - 1);
    std::string whole2 = "bytes=0-" + std::to_string(second.bytes.size() - 1);
    EXPECT_EQ(ranges, (std::vector<std::string>{"/p01/kx_game.kxpkg " + whole1, "/p01/kx_game.kxpkg " + whole1,
                                                "/p02/kx_game.kxpkg " + whole2}));
}

TEST_F(DispatcherTest, OneSegmentStartsOneWorkerAndTracesItsLife) {
    server.Serve("/file", Route("content"));
    Route missing;
    missing.status = 404;
    server.Serve("/missing", missing);
    testsupport::CapturedOutput output;
    {
        auto dispatcher = MakeDispatcher(3);
        std::vector<DownloadTaskInfo> tasks = {Task("/file", "a")};
        dispatcher->AddTasks(tasks);
        ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    }  // joins the worker, which writes its last line before it ends
    std::vector<std::string> lines = Lines(output.Text());
    ASSERT_EQ(lines.size(), 5u) << output.Text();
    EXPECT_EQ(lines[0], "开始建立下载任务，剩余可用线程\t3");
    EXPECT_EQ(lines[1], "检测到只需要使用线程数\t1");
    std::smatch started, exited;
    ASSERT_TRUE(std::regex_match(lines[2], started, std::regex("启动下载线程\t([0-9]+)")));
    EXPECT_EQ(lines[3], "下载成功\t" + server.Url("/file"));
    ASSERT_TRUE(std::regex_match(lines[4], exited, std::regex("下载线程退出\t([0-9]+)")));
    EXPECT_EQ(started[1], exited[1]);
    EXPECT_EQ(owner.Content("a"), "content");
}

TEST_F(DispatcherTest, FailedSegmentIsTracedWithItsCodeAndReportedForEveryTask) {
    Route missing;
    missing.status = 404;
    server.Serve("/missing", missing);
    testsupport::CapturedOutput output;
    auto dispatcher = MakeDispatcher(1);
    std::vector<DownloadTaskInfo> tasks = {Task("/missing", "a", 0, 10), Task("/missing", "b", 10, 10)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    EXPECT_EQ(owner.Results(), (std::map<std::string, int>{{"a", 404}, {"b", 404}}));
    EXPECT_EQ(server.RequestCount(), 10u);  // the worker's ten attempts
    EXPECT_EQ(CountMatching(Lines(output.Text()), "下载失败\t" + server.Url("/missing") + "\t错误代码:404"), 1u);
}

TEST_F(DispatcherTest, FullPoolQueuesNewSegmentsForTheRunningWorkers) {
    Route stalled(testsupport::RandomBytes(4000, 30));
    stalled.stallAfter = 100;
    for (const char* path : {"/s1", "/s2", "/s3"})
        server.Serve(path, stalled);
    for (const char* path : {"/q1", "/q2"})
        server.Serve(path, Route("queued"));
    testsupport::CapturedOutput output;
    auto dispatcher = MakeDispatcher(3);
    std::vector<DownloadTaskInfo> busy = {Task("/s1", "s1"), Task("/s2", "s2"), Task("/s3", "s3")};
    dispatcher->AddTasks(busy);
    ASSERT_TRUE(server.WaitForRequests(3));

    std::vector<DownloadTaskInfo> more = {Task("/q1", "q1"), Task("/q2", "q2")};
    dispatcher->AddTasks(more);
    EXPECT_EQ(dispatcher->ActiveWorkerCount(), 3u);
    EXPECT_EQ(dispatcher->PendingSegmentCount(), 2u);
    server.ReleaseStalls();
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    EXPECT_EQ(owner.Results().size(), 5u);
    for (const auto& [name, result] : owner.Results())
        EXPECT_EQ(result, 200) << name;
    EXPECT_EQ(owner.Content("q2"), "queued");

    std::vector<std::string> lines = Lines(output.Text());
    EXPECT_EQ(CountMatching(lines, "下载线程已达到上限\t3"), 1u);
    EXPECT_EQ(CountMatching(lines, "启动下载线程\t[0-9]+"), 3u);
}

TEST_F(DispatcherTest, NothingToDoStartsNoWorkerAndFinishesNothing) {
    testsupport::CapturedOutput output;
    auto dispatcher = MakeDispatcher(3);
    std::vector<DownloadTaskInfo> none;
    dispatcher->AddTasks(none);
    EXPECT_EQ(dispatcher->ActiveWorkerCount(), 0u);
    EXPECT_EQ(Lines(output.Text()),
              (std::vector<std::string>{"开始建立下载任务，剩余可用线程\t3", "检测到只需要使用线程数\t0"}));
    dispatcher.reset();
    EXPECT_EQ(owner.FinishedRuns(), 0);
}

TEST_F(DispatcherTest, TasksWithoutProcessorReportMinusOneAndAreNotRequested) {
    owner.withoutProcessor = {"x", "y"};
    server.Serve("/pkg", Route("0123456789"));
    auto dispatcher = MakeDispatcher(2);
    std::vector<DownloadTaskInfo> tasks = {Task("/pkg", "x", 0, 5), Task("/pkg", "y", 5, 5)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    EXPECT_EQ(owner.Results(), (std::map<std::string, int>{{"x", -1}, {"y", -1}}));
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(DispatcherTest, BytesForATaskWithoutProcessorFailTheWholeSegment) {
    owner.withoutProcessor = {"gap"};
    server.Serve("/pkg", Route("0123456789"));
    auto dispatcher = MakeDispatcher(1);
    std::vector<DownloadTaskInfo> tasks = {Task("/pkg", "kept", 0, 5), Task("/pkg", "gap", 5, 5)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    EXPECT_EQ(owner.Results(), (std::map<std::string, int>{{"gap", -4}, {"kept", -4}}));
}

TEST_F(DispatcherTest, EachDrainedRunIsAnnouncedOnce) {
    server.Serve("/pkg", Route("0123456789"));
    auto dispatcher = MakeDispatcher(3);
    std::vector<DownloadTaskInfo> firstRun = {Task("/pkg", "a", 0, 4), Task("/pkg", "b", 4, 6)};
    dispatcher->AddTasks(firstRun);
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    // The announcement comes after the last worker left the active list.
    EXPECT_EQ(dispatcher->ActiveWorkerCount(), 0u);
    std::vector<DownloadTaskInfo> secondRun = {Task("/pkg", "c", 2, 3)};
    dispatcher->AddTasks(secondRun);
    ASSERT_TRUE(owner.WaitForFinishedRuns(2));
    dispatcher.reset();

    EXPECT_EQ(owner.FinishedRuns(), 2);
    EXPECT_EQ(owner.Content("a"), "0123");
    EXPECT_EQ(owner.Content("b"), "456789");
    EXPECT_EQ(owner.Content("c"), "234");
    EXPECT_EQ(server.RequestCount(), 2u);
}

TEST_F(DispatcherTest, StopCancelsRunningTransfersAndKeepsTheQueue) {
    Route stalled(testsupport::RandomBytes(4000, 31));
    stalled.stallAfter = 100;
    server.Serve("/a-stall", stalled);
    server.Serve("/later", Route("later"));
    auto dispatcher = MakeDispatcher(1);
    // "/a-stall" sorts first, so its segment is the one in flight.
    std::vector<DownloadTaskInfo> tasks = {Task("/a-stall", "a", 0, 2000), Task("/a-stall", "b", 2000, 2000),
                                           Task("/later", "c"), Task("/later", "d", 0, 5)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(server.WaitForRequests(1));
    dispatcher->Stop();
    ASSERT_TRUE(owner.WaitForFinishedRuns(1));
    EXPECT_EQ(owner.Results(), (std::map<std::string, int>{{"a", -2}, {"b", -2}}));
    EXPECT_EQ(dispatcher->PendingSegmentCount(), 2u);
    EXPECT_EQ(server.RequestCount(), 1u);

    dispatcher->ClearPending();
    EXPECT_EQ(dispatcher->PendingSegmentCount(), 0u);
    std::vector<DownloadTaskInfo> next = {Task("/later", "e")};
    dispatcher->AddTasks(next);
    ASSERT_TRUE(owner.WaitForFinishedRuns(2));
    EXPECT_EQ(owner.Results().size(), 3u);
    EXPECT_EQ(owner.Content("e"), "later");
}

TEST_F(DispatcherTest, DestroyingTheDispatcherCancelsAndJoinsItsWorkers) {
    Route stalled(testsupport::RandomBytes(4000, 32));
    stalled.stallAfter = 5;
    server.Serve("/stall", stalled);
    auto dispatcher = MakeDispatcher(2);
    std::vector<DownloadTaskInfo> tasks = {Task("/stall", "a", 0, 10), Task("/stall", "b", 100, 10)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(server.WaitForRequests(2));
    dispatcher.reset();
    EXPECT_EQ(owner.Results(), (std::map<std::string, int>{{"a", -2}, {"b", -2}}));
}

TEST_F(DispatcherTest, WorkAddedWhileTheLastWorkerLeavesIsServed) {
    server.Serve("/pkg", Route("0123456789"));
    auto dispatcher = MakeDispatcher(1);
    // From inside the exit of the last worker: the worker has already left the active list and
    // its loop; it must come back for the new task.
    bool added = false;
    owner.WhenAllFinished([&] {
        if (added)
            return;
        added = true;
        std::vector<DownloadTaskInfo> more = {Task("/pkg", "from-exit", 3, 3)};
        dispatcher->AddTasks(more);
    });
    std::vector<DownloadTaskInfo> tasks = {Task("/pkg", "first", 0, 3)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(owner.WaitForFinishedRuns(2));
    EXPECT_EQ(owner.Content("from-exit"), "345");

    // From another thread, right when each run's result arrives, again and again.
    owner.WhenAllFinished(nullptr);
    for (int i = 0; i < 40; ++i) {
        std::vector<DownloadTaskInfo> next = {Task("/pkg", "run" + std::to_string(i), i % 10, 1)};
        dispatcher->AddTasks(next);
        ASSERT_TRUE(owner.WaitForResults(3 + static_cast<std::size_t>(i))) << i;
    }
    ASSERT_TRUE(owner.WaitForResults(42));
    for (const auto& [name, result] : owner.Results())
        EXPECT_EQ(result, 200) << name;
}

}  // namespace
