#include "download/DownloaderTaskDispatcher.h"

#include "base/OrdinalLess.h"
#include "base/Trace.h"
#include "download/DownloaderTask.h"
#include "download/DownloaderTaskProcessor.h"

#include <algorithm>
#include <limits>
#include <map>
#include <string>

namespace {

SegmentDownloadTaskInfo SegmentOf(const DownloadTaskInfo& task) {
    SegmentDownloadTaskInfo segment;
    segment.url = task.url;
    segment.postData = task.postData;
    segment.offset = task.offset;
    segment.length = task.length;
    segment.tasks.push_back(task);
    return segment;
}

bool CanExtend(const SegmentDownloadTaskInfo& segment, const DownloadTaskInfo& task) {
    if (segment.length >= DownloaderTaskDispatcher::SegmentSizeLimit)
        return false;
    // A whole-body task never joins a ranged one, and a length that no longer fits 32 bits ends
    // the segment instead of wrapping around.
    if ((segment.offset < 0) != (task.offset < 0) ||
        segment.length > std::numeric_limits<std::uint32_t>::max() - task.length)
        return false;
    // Tasks arrive sorted, so the distance fits an unsigned 64-bit value exactly.
    std::uint64_t distance = static_cast<std::uint64_t>(task.offset) - static_cast<std::uint64_t>(segment.offset);
    return distance == segment.length;
}

}  // namespace

DownloaderTaskDispatcher::DownloaderTaskDispatcher(DownloaderTaskProcessor* owner, int maxThreads)
    : owner_(owner), maxThreads_(maxThreads) {}

DownloaderTaskDispatcher::~DownloaderTaskDispatcher() {
    std::vector<std::unique_ptr<DownloaderTask>> workers;
    {
        std::unique_lock<std::recursive_mutex> lock(lock_);
        closing_ = true;
        for (DownloaderTask* worker : active_)
            worker->RequestStop();
        workerExited_.wait(lock, [this] { return active_.empty(); });
        workers = std::move(workers_);
    }
    // Joins every thread; none of them needs the lock any more.
    workers.clear();
}

void DownloaderTaskDispatcher::SetTimings(const DownloadTimings& timings) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    timings_ = timings;
}

std::vector<SegmentDownloadTaskInfo> DownloaderTaskDispatcher::MergeIntoSegments(std::vector<DownloadTaskInfo>& tasks) {
    std::sort(tasks.begin(), tasks.end(),
              [](const DownloadTaskInfo& a, const DownloadTaskInfo& b) { return a.offset < b.offset; });
    std::map<std::string, std::vector<SegmentDownloadTaskInfo>, OrdinalLess> groups;
    for (const DownloadTaskInfo& task : tasks) {
        std::vector<SegmentDownloadTaskInfo>& group = groups[task.url + "?" + task.postData];
        if (!group.empty() && CanExtend(group.back(), task)) {
            group.back().tasks.push_back(task);
            group.back().length += task.length;
        } else {
            group.push_back(SegmentOf(task));
        }
    }
    std::vector<SegmentDownloadTaskInfo> segments;
    for (auto& [key, group] : groups) {
        for (SegmentDownloadTaskInfo& segment : group)
            segments.push_back(std::move(segment));
    }
    return segments;
}

int DownloaderTaskDispatcher::AddTasks(std::vector<DownloadTaskInfo>& tasks) {
    std::vector<SegmentDownloadTaskInfo> segments = MergeIntoSegments(tasks);
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        stopped_ = false;
        for (SegmentDownloadTaskInfo& segment : segments)
            pending_.push_back(std::move(segment));
    }
    Dispatch();
    return 1;
}

void DownloaderTaskDispatcher::ClearPending() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    pending_.clear();
}

void DownloaderTaskDispatcher::Stop() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    stopped_ = true;
    for (DownloaderTask* worker : active_)
        worker->RequestStop();
}

std::size_t DownloaderTaskDispatcher::ActiveWorkerCount() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return active_.size();
}

void DownloaderTaskDispatcher::WaitUntilIdle() {
    std::unique_lock<std::recursive_mutex> guard(lock_);
    workerExited_.wait(guard, [this] { return active_.empty(); });
}

std::size_t DownloaderTaskDispatcher::PendingSegmentCount() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return pending_.size();
}

void DownloaderTaskDispatcher::Dispatch() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (closing_)
        return;
    long free = maxThreads_ - static_cast<long>(active_.size());
    if (free < 1) {
        TraceLine("下载线程已达到上限\t" + std::to_string(maxThreads_));
        return;
    }
    TraceLine("开始建立下载任务，剩余可用线程\t" + std::to_string(free));
    if (static_cast<long>(pending_.size()) < free) {
        free = static_cast<long>(pending_.size());
        TraceLine("检测到只需要使用线程数\t" + std::to_string(free));
    }
    for (long i = 0; i < free; ++i) {
        DownloaderTask* worker = nullptr;
        if (idle_.empty()) {
            worker = MakeWorker();
        } else {
            worker = idle_.front();
            idle_.pop_front();
        }
        if (worker->Start()) {
            active_.push_back(worker);
        } else {
            idle_.push_back(worker);
            TraceLine("启动下载线程失败\t");
        }
    }
}

DownloaderTask* DownloaderTaskDispatcher::MakeWorker() {
    auto worker = std::make_unique<DownloaderTask>();
    worker->SetTimings(timings_);
    // Bound once for the worker's life: the same four operations every time, and rebinding a
    // callback while the worker's thread may be running it is not safe.
    worker->GetNextSegment = [this](SegmentDownloadTaskInfo* segment) { return TakeSegment(segment); };
    worker->OnWorkerExit = [this](DownloaderTask* exiting) { OnWorkerExit(exiting); };
    worker->GetProcessor = [this](const DownloadTaskInfo& task) { return owner_->GetProcessor(task); };
    worker->OnTaskResult = [this](const DownloadTaskResultInfo& result) { owner_->OnTaskResult(result); };
    workers_.push_back(std::move(worker));
    return workers_.back().get();
}

int DownloaderTaskDispatcher::TakeSegment(SegmentDownloadTaskInfo* segment) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (pending_.empty())
        return 0;
    *segment = std::move(pending_.front());
    pending_.pop_front();
    return 1;
}

void DownloaderTaskDispatcher::OnWorkerExit(DownloaderTask* worker) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // Segments queued after this worker found the queue empty, while it still counted as active,
    // would otherwise wait for the next AddTasks: the worker serves them itself.
    if (!closing_ && !stopped_ && !pending_.empty() && worker->Start())
        return;
    for (auto it = active_.begin(); it != active_.end();) {
        if (*it == worker || (*it)->instanceId() == worker->instanceId()) {
            idle_.push_back(*it);
            it = active_.erase(it);
        } else {
            ++it;
        }
    }
    if (active_.empty()) {
        workerExited_.notify_all();
        owner_->OnAllTasksFinished();
    }
}
