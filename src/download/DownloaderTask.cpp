#include "download/DownloaderTask.h"

#include "base/Trace.h"
#include "download/DownloadDataProcessor.h"
#include "download/HttpTransfer.h"
#include "download/SegmentDownloadDataProcessor.h"
#include "platform/Thread.h"

#include <future>
#include <new>
#include <string>
#include <system_error>
#include <vector>

DownloaderTask::DownloaderTask() = default;

DownloaderTask::~DownloaderTask() {
    RequestStop();
    Join();
}

bool DownloaderTask::Start() {
    if (!GetNextSegment)
        return false;
    std::unique_lock<std::mutex> lock(stateMutex_);
    if (phase_ != Phase::Idle) {
        // The thread is still there: it goes (back) to its loop instead of ending.
        restart_ = true;
        running_.exchange(1);
        return true;
    }
    // A thread that reached Idle only writes its last trace line; nothing of it needs this object.
    if (thread_.joinable())
        thread_.join();
    if (!transfer_) {
        transfer_ = std::make_unique<HttpTransfer>();
        transfer_->UseFormHeaders();
        transfer_->SetMaxAttempts(1);
        if (useJson)
            transfer_->UseJsonHeaders();
    }
    running_.exchange(1);
    phase_ = Phase::Looping;
    restart_ = false;
    std::promise<std::int64_t> started;
    std::future<std::int64_t> threadId = started.get_future();
    try {
        thread_ = std::thread([this, &started] {
            started.set_value(platform::CurrentThreadId());
            ThreadMain();
        });
    } catch (const std::system_error&) {
        running_.exchange(0);
        phase_ = Phase::Idle;
        return false;
    }
    std::int64_t id = threadId.get();
    lock.unlock();
    TraceLine("启动下载线程\t" + std::to_string(id));
    return true;
}

void DownloaderTask::RequestStop() {
    std::lock_guard<std::mutex> guard(stateMutex_);
    // Order matters: the loop clears the cancel mark and then looks at running, so one of the two
    // is always seen.
    running_.exchange(0);
    if (transfer_)
        transfer_->Cancel();
}

void DownloaderTask::Join() {
    std::thread finished;
    {
        std::lock_guard<std::mutex> guard(stateMutex_);
        if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id())
            return;
        finished = std::move(thread_);
    }
    finished.join();
}

void DownloaderTask::ThreadMain() {
    for (;;) {
        GuardedLoop();
        {
            std::lock_guard<std::mutex> guard(stateMutex_);
            if (restart_) {
                restart_ = false;
                continue;
            }
            // Cleared before the exit callback, so a Start from there or after it is never
            // mistaken for a running loop.
            running_.exchange(0);
            phase_ = Phase::Leaving;
        }
        if (OnWorkerExit)
            OnWorkerExit(this);
        {
            std::lock_guard<std::mutex> guard(stateMutex_);
            if (restart_) {
                restart_ = false;
                phase_ = Phase::Looping;
                continue;
            }
            phase_ = Phase::Idle;
        }
        TraceLine("下载线程退出\t" + std::to_string(platform::CurrentThreadId()));
        return;
    }
}

void DownloaderTask::GuardedLoop() {
    // The one place a worker thread catches: memory running out anywhere in a segment (a body, a
    // parse, an owner's callback) fails that segment's tasks and ends the loop, never the
    // process. The owner ignores results of tasks it already handled.
    try {
        Loop();
    } catch (const std::bad_alloc&) {
        bool wasServing = serving_;
        serving_ = false;
        try {
            TraceLine("下载线程内存不足");
            if (wasServing)
                Report(segment_, kTransferInvalid);
        } catch (const std::bad_alloc&) {
            // Nothing more can be done on this thread; the loop ends all the same.
        }
    }
    serving_ = false;
    segment_ = SegmentDownloadTaskInfo();
}

void DownloaderTask::Loop() {
    bool served = false;
    while (running_.load() == 1) {
        // Pause before the first take only: while segments keep coming, the next one is taken
        // at once.
        if (!served)
            std::this_thread::sleep_for(timings_.poll);
        transfer_->ResetCancel();
        if (running_.load() != 1)
            break;
        segment_ = SegmentDownloadTaskInfo();
        if (GetNextSegment(&segment_) == 0)
            break;
        serving_ = true;
        Serve(segment_);
        serving_ = false;
        served = true;
    }
}

void DownloaderTask::Report(const SegmentDownloadTaskInfo& segment, int result) {
    for (const DownloadTaskInfo& task : segment.tasks) {
        DownloadTaskResultInfo info;
        static_cast<DownloadTaskInfo&>(info) = task;
        info.result = result;
        if (OnTaskResult)
            OnTaskResult(info);
    }
}

void DownloaderTask::Serve(const SegmentDownloadTaskInfo& segment) {
    std::vector<DownloadDataProcessor*> processors;
    for (const DownloadTaskInfo& task : segment.tasks) {
        DownloadDataProcessor* processor = GetProcessor ? GetProcessor(task) : nullptr;
        if (processor)
            processors.push_back(processor);
    }
    if (processors.empty()) {
        Report(segment, kTransferInvalid);
        return;
    }
    SegmentDownloadDataProcessor segmentProcessor(segment, processors);
    transfer_->SetMaxAttempts(maxAttempts);
    transfer_->SetAttemptCallback(OnAttempt);
    transfer_->SetTimings(timings_);
    int result =
        transfer_->Transfer(segment.url, &segmentProcessor, verb, segment.postData, segment.offset, segment.length);
    Report(segment, result);
    if (result == kTransferOk)
        TraceLine("下载成功\t" + segment.url);
    else
        TraceLine("下载失败\t" + segment.url + "\t错误代码:" + std::to_string(result));
}
