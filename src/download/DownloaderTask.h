#pragma once

#include "download/CCustomInstanceID.h"
#include "download/DownloadTaskResultInfo.h"
#include "download/DownloadTimings.h"
#include "download/HttpTransfer.h"
#include "download/SegmentDownloadTaskInfo.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class DownloadDataProcessor;

// A download worker: a thread that takes segments through GetNextSegment, asks GetProcessor for
// one processor per task, runs the segment through its HttpTransfer and reports one result per
// task through OnTaskResult, until no segment is left or it is stopped; then it calls
// OnWorkerExit and its thread ends.
//
// Callbacks and settings are set before the first Start and not changed while the worker runs;
// every callback runs on the worker's thread. A worker started again while it is leaving its
// loop keeps its thread and serves the new work; one started after its thread has ended gets a
// new thread (the old one is joined). The destructor stops the loop and joins the thread; it must
// not run on the worker's own thread.
class DownloaderTask : public CCustomInstanceID {
public:
    DownloaderTask();
    ~DownloaderTask() override;

    HttpVerb verb = kVerbGet;
    int maxAttempts = 10;  // copied into the transfer before every segment
    bool useJson = false;  // the transfer sends the JSON header set

    // Fills the segment; nonzero when one was supplied.
    std::function<int(SegmentDownloadTaskInfo*)> GetNextSegment;
    // The loop has ended (running is already cleared). A Start from here keeps the thread.
    std::function<void(DownloaderTask*)> OnWorkerExit;
    // The processor of one task, owned by the callee, or null.
    std::function<DownloadDataProcessor*(const DownloadTaskInfo&)> GetProcessor;
    std::function<void(const DownloadTaskResultInfo&)> OnTaskResult;
    // Optional: each attempt of a segment's transfer begins (number from 1, of maxAttempts).
    std::function<void(int attempt, int maxAttempts)> OnAttempt;

    // False without a bound GetNextSegment or when no thread could be made. True when the loop
    // runs (again) and will ask for work. Writes "启动下载线程\t<thread id>" for a new thread.
    bool Start();
    // From any thread: the loop ends after the current segment, whose transfer is cancelled.
    void RequestStop();
    // Waits until the worker's thread has ended (not from that thread).
    void Join();
    bool IsRunning() const { return running_.load() == 1; }

    void SetTimings(const DownloadTimings& timings) { timings_ = timings; }

private:
    enum class Phase { Idle, Looping, Leaving };

    void ThreadMain();
    void GuardedLoop();
    void Loop();
    void Serve(const SegmentDownloadTaskInfo& segment);
    void Report(const SegmentDownloadTaskInfo& segment, int result);

    // The segment being served, kept here so that a failure unwinding out of Serve can still
    // report its tasks. Worker thread only.
    SegmentDownloadTaskInfo segment_;
    bool serving_ = false;

    std::atomic<int> running_{0};
    std::unique_ptr<HttpTransfer> transfer_;
    DownloadTimings timings_;

    std::mutex stateMutex_;
    Phase phase_ = Phase::Idle;
    bool restart_ = false;
    std::thread thread_;
};
