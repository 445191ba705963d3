#pragma once

#include "download/DownloadTimings.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class DownloadDataProcessor;

// Verbs a transfer knows.
enum HttpVerb : int { kVerbPost = 0, kVerbGet = 1 };

// Result codes of HttpTransfer::Transfer besides an HTTP status.
enum TransferResult : int {
    kTransferOk = 200,            // also for 206 Partial Content
    kTransferInvalid = -1,        // no processor, a URL that cannot be split, an absurd range, no attempt
    kTransferCancelled = -2,      // Cancel() was called
    kTransferNetworkFailed = -3,  // a network operation failed, the answer did not hold the asked
                                  // bytes, or the processor's Finish refused
    kTransferWriteRefused = -4,   // the processor's Write refused a chunk
    kTransferBeginRefused = -5,   // the processor's Begin refused the response
};

// One HTTP request with retries, streaming the body into a processor, over the system's HTTP
// client (platform/HttpExchange.h: libcurl on Linux, WinHTTP on Windows).
//
// Every attempt uses a fresh connection (HTTP/1.0) and sends exactly the chosen header set, then a
// Range line for ranged requests; the client adds only Host (and Content-Length for POST). TLS is
// used for https URLs and for port 443, with certificate verification; proxies are the system's.
//
// A ranged request (offset >= 0) is accepted only when the answer holds exactly the asked bytes:
// 206 with a Content-Range naming them, or 200 with a Content-Length equal to the length; any
// other answer fails the attempt (-3) before a byte reaches the processor, as does a body longer
// or shorter than asked. A body of any status other than 200/206 never reaches the processor.
//
// Owned and called by one thread; only Cancel() may be called from others.
class HttpTransfer {
public:
    HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // "Accept: */*", the browser User-Agent and the form-urlencoded Content-Type (the default).
    void UseFormHeaders();
    // The same with the JSON Content-Type.
    void UseJsonHeaders();

    void SetMaxAttempts(int attempts) { maxAttempts_ = attempts; }
    // Called on the transfer's thread as each attempt begins, with its number (from 1) and the
    // number of attempts there may be, so a caller can show that a request is being retried.
    void SetAttemptCallback(std::function<void(int attempt, int maxAttempts)> callback) {
        attemptCallback_ = std::move(callback);
    }
    void SetTimings(const DownloadTimings& timings) { timings_ = timings; }

    // Makes up to maxAttempts attempts, pausing after each failed one (also after the last), and
    // returns 200, the last HTTP status, or a negative TransferResult. `processor` is borrowed;
    // `body` is sent only with kVerbPost; a negative `offset` asks for the whole body. Blocks.
    int Transfer(const std::string& url,
                 DownloadDataProcessor* processor,
                 HttpVerb verb,
                 const std::string& body,
                 std::int64_t offset,
                 std::uint32_t length);

    // From any thread: the running transfer stops after the current chunk (a stalled one within
    // about a second) and returns -2 without another attempt or pause. The request stays
    // cancelled, also for later transfers, until ResetCancel().
    void Cancel();
    void ResetCancel();
    bool IsCancelled() const { return cancelFlag_.load() != 0; }

private:
    struct Request;
    int Attempt(const Request& request);
    void PauseBeforeRetry();

    std::vector<std::string> headerLines_;
    std::atomic<int> cancelFlag_{0};
    int maxAttempts_ = 1;
    std::function<void(int attempt, int maxAttempts)> attemptCallback_;
    DownloadTimings timings_;
    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;
};
