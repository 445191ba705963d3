#pragma once

#include "download/DownloadTaskInfo.h"
#include "download/DownloadTimings.h"
#include "download/SegmentDownloadTaskInfo.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

class DownloaderTask;
class DownloaderTaskProcessor;

// The download engine, in one picture:
//   DownloaderTaskDispatcher  merges file tasks into range requests (segments) and queues them;
//   DownloaderTask            one worker thread: takes segments, asks the owner for processors,
//                             runs the segment through its HttpTransfer, reports per file;
//   HttpTransfer              one HTTP request with retries over the system's HTTP client (libcurl,
//                             WinHTTP), body in <= 1 KiB pieces;
//   SegmentDownloadDataProcessor  cuts a segment's body into the files' processors;
//   CDNResourceDataProcessor  writes "<target>.t" and unpacks it into the target (GunzipFile);
//   AsyncHttpRequest          one text request on a worker of its own, without a dispatcher.
// Lock order: the owner's locks, then the dispatcher's lock, then a worker's state lock.
//
// Spreads many file downloads over at most maxThreads workers. AddTasks merges files that lie
// back to back in the same remote package into range requests (segments) of about
// SegmentSizeLimit, queues them, and tops the workers up; each worker takes segments until the
// queue is empty and reports one result per file to the owner. Workers are pooled for later runs.
//
// Threads: AddTasks, Stop and ClearPending from any thread (also from the owner's callbacks on a
// worker thread); the owner's callbacks on worker threads. One recursive lock guards the queue
// and the worker lists; it is the innermost lock of the download path.
//
// The destructor stops every worker and waits for their threads; the product keeps its
// dispatcher for the whole process.
class DownloaderTaskDispatcher {
public:
    // A segment grows while it is below this size (it may end above it by its last task).
    static constexpr std::uint32_t SegmentSizeLimit = 0xA00000;

    DownloaderTaskDispatcher(DownloaderTaskProcessor* owner, int maxThreads);
    ~DownloaderTaskDispatcher();
    DownloaderTaskDispatcher(const DownloaderTaskDispatcher&) = delete;
    DownloaderTaskDispatcher& operator=(const DownloaderTaskDispatcher&) = delete;

    // Applies to workers made afterwards; set before the first AddTasks.
    void SetTimings(const DownloadTimings& timings);

    // Sorts `tasks` by offset in place, queues their segments and starts workers. Returns 1.
    int AddTasks(std::vector<DownloadTaskInfo>& tasks);
    // Drops every queued segment; their tasks get no results.
    void ClearPending();
    // Asks every active worker to end after cancelling its transfer (its tasks then report -2).
    // Queued segments stay queued. Returns at once.
    void Stop();

    std::size_t ActiveWorkerCount() const;
    // Blocks until no worker is active; workers end on their own threads. Not from a worker.
    void WaitUntilIdle();
    std::size_t PendingSegmentCount() const;

    // Groups tasks (sorted in place by offset) by url and postData and merges contiguous ranges.
    // Groups come in code-unit order of "url?postData", segments of a group in offset order.
    static std::vector<SegmentDownloadTaskInfo> MergeIntoSegments(std::vector<DownloadTaskInfo>& tasks);

private:
    void Dispatch();
    DownloaderTask* MakeWorker();
    int TakeSegment(SegmentDownloadTaskInfo* segment);
    void OnWorkerExit(DownloaderTask* worker);

    DownloaderTaskProcessor* owner_;
    int maxThreads_;
    DownloadTimings timings_;

    mutable std::recursive_mutex lock_;
    std::condition_variable_any workerExited_;
    std::deque<SegmentDownloadTaskInfo> pending_;
    std::list<DownloaderTask*> idle_;
    std::list<DownloaderTask*> active_;
    std::vector<std::unique_ptr<DownloaderTask>> workers_;
    bool stopped_ = false;  // Stop() since the last AddTasks
    bool closing_ = false;
};
