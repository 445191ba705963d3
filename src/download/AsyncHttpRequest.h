#pragma once

#include "download/DownloadTimings.h"
#include "download/HttpTransfer.h"

#include <atomic>
#include <cstddef>
#include <limits>
#include <memory>
#include <mutex>
#include <string>

class DownloaderTask;
class DownloadDataProcessor;
class DownloadTextProcessor;
struct DownloadTaskInfo;
struct DownloadTaskResultInfo;
struct SegmentDownloadTaskInfo;

// One HTTP request whose whole answer is wanted as text, run on a worker thread of its own and
// delivered through OnResponse. Subclasses choose the URL, body, verb, header set and attempts.
//
// Threads: Start on the caller's thread (one caller); BuildRequest and OnResponse on the worker
// thread. The worker (and its thread) is made at the first Start and reused; a Start while the
// worker is still leaving its loop is served by that same thread.
//
// Lifetime: a subclass's destructor must call Wait() first, so that no virtual operation runs
// while the object is being torn down.
class AsyncHttpRequest {
public:
    // The record given to Start; each subclass derives its own parameter type from it.
    struct Parameters {
        virtual ~Parameters() = default;
    };

    AsyncHttpRequest();
    virtual ~AsyncHttpRequest();
    AsyncHttpRequest(const AsyncHttpRequest&) = delete;
    AsyncHttpRequest& operator=(const AsyncHttpRequest&) = delete;

    // Takes the parameters (replacing earlier ones) and hands the request to the worker. Returns
    // at once: true when a worker thread runs, false when none could be started (no OnResponse
    // then). Not while a request is still being built.
    bool Start(std::unique_ptr<Parameters> parameters);
    // Blocks until the worker's thread has ended (after the answer was delivered). Not from the
    // worker thread.
    void Wait();
    // Takes effect when the worker is made (the first Start).
    void SetTimings(const DownloadTimings& timings) { timings_ = timings; }

protected:
    // Fills the request URL and body. The parameters of the latest Start are readable meanwhile.
    virtual void BuildRequest(std::string& url, std::string& body) = 0;
    virtual HttpVerb GetVerb() = 0;
    // True selects the JSON header set.
    virtual bool UseJsonContentType() = 0;
    virtual int GetMaxAttempts() = 0;
    // Exactly once per request handed to the worker: the body without a UTF-8 byte-order mark
    // when result is 200, else empty; result as HttpTransfer::Transfer returns it.
    virtual void OnResponse(std::string body, int result) = 0;
    // On the worker thread as each attempt begins (number from 1, of GetMaxAttempts). Does
    // nothing here.
    virtual void OnAttempt(int attempt, int maxAttempts);

    // Valid inside BuildRequest; null before the first Start.
    const Parameters* parameters() const { return parameters_.get(); }
    // The longest answer accepted; a longer one fails the transfer (-4) after its attempts.
    // Called by the subclass's constructor.
    void SetAnswerLimit(std::size_t bytes) { answerLimit_ = bytes; }

private:
    int SupplySegment(SegmentDownloadTaskInfo* segment);
    DownloadDataProcessor* MakeProcessor(const DownloadTaskInfo& task);
    void DeliverResult(const DownloadTaskResultInfo& result);

    std::unique_ptr<DownloaderTask> worker_;
    std::unique_ptr<DownloadTextProcessor> processor_;
    std::atomic<int> issued_{0};
    std::mutex parametersLock_;
    std::unique_ptr<Parameters> parameters_;
    DownloadTimings timings_;
    std::size_t answerLimit_ = std::numeric_limits<std::size_t>::max();
};
