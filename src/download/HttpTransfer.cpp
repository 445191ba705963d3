#include "download/HttpTransfer.h"

#include "base/Trace.h"
#include "download/DownloadDataProcessor.h"
#include "download/HttpRequestTarget.h"
#include "platform/HttpExchange.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <new>

namespace {

const char kAcceptLine[] = "Accept: */*";
const char kUserAgentLine[] =
    "User-Agent:Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";
const char kFormContentTypeLine[] = "Content-Type:application/x-www-form-urlencoded;charset=UTF-8";
const char kJsonContentTypeLine[] = "Content-Type:application/json;charset=UTF-8";
const char kNetworkFailedTrace[] = "请求网络数据失败";

// Processors receive the body in pieces of at most this size.
constexpr std::size_t kChunkSize = 1024;

}  // namespace

struct HttpTransfer::Request {
    HttpRequestTarget target;
    DownloadDataProcessor* processor = nullptr;
    HttpVerb verb = kVerbGet;
    std::string body;
    std::int64_t offset = -1;
    std::uint32_t length = 0;
};

namespace {

// What one attempt learnt from the answer; decides whether its body is used.
class AttemptState : public platform::HttpExchangeHandler {
public:
    const std::atomic<int>* cancelFlag = nullptr;
    DownloadDataProcessor* processor = nullptr;
    bool ranged = false;
    std::int64_t offset = 0;
    std::uint32_t length = 0;

    bool decided = false;  // the final response's status was looked at
    int outcome = 0;       // nonzero: the answer ended the attempt with this result
    std::uint64_t received = 0;

    bool Cancelled() const { return cancelFlag->load() != 0; }

    // Memory running out while the processor takes the answer (a text body growing) refuses it,
    // which fails the attempt like any refusal; no exception reaches the system's HTTP client.
    bool OnResponse(int status, std::int64_t contentLength, const std::string& contentRange) override {
        try {
            return Decide(status, contentLength, contentRange);
        } catch (const std::bad_alloc&) {
            outcome = kTransferWriteRefused;
            return false;
        }
    }

    bool OnBody(const char* data, std::size_t total) override {
        try {
            return Deliver(data, total);
        } catch (const std::bad_alloc&) {
            outcome = kTransferWriteRefused;
            return false;
        }
    }

private:
    // Looks at the final response before any of its body is used.
    bool Decide(int status, std::int64_t contentLength, const std::string& contentRange) {
        decided = true;
        if (status != 200 && status != 206) {
            outcome = status;
            return false;
        }
        if (ranged) {
            bool exact = status == 206
                             ? ContentRangeMatches(contentRange) && (contentLength < 0 || contentLength == length)
                             : contentLength == static_cast<std::int64_t>(length);
            if (!exact) {
                outcome = kTransferNetworkFailed;
                return false;
            }
        }
        auto announced = static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(contentLength, 0, std::numeric_limits<std::uint32_t>::max()));
        if (!processor->Begin(announced)) {
            outcome = kTransferBeginRefused;
            return false;
        }
        return true;
    }

    bool Deliver(const char* data, std::size_t total) {
        if (ranged && received + total > length) {
            outcome = kTransferNetworkFailed;
            return false;
        }
        for (std::size_t done = 0; done < total; done += kChunkSize) {
            if (Cancelled())
                return false;
            auto piece = static_cast<std::uint32_t>(std::min(kChunkSize, total - done));
            if (!processor->Write(data + done, piece)) {
                outcome = kTransferWriteRefused;
                return false;
            }
            received += piece;
        }
        return true;
    }

    // "bytes first-last/total" naming exactly the asked range.
    bool ContentRangeMatches(const std::string& contentRange) const {
        std::int64_t first = 0, last = 0;
        if (std::sscanf(contentRange.c_str(), "bytes %" SCNd64 "-%" SCNd64 "/", &first, &last) != 2)
            return false;
        return first == offset && last == offset + static_cast<std::int64_t>(length) - 1;
    }
};

}  // namespace

HttpTransfer::HttpTransfer() {
    UseFormHeaders();
}

void HttpTransfer::UseFormHeaders() {
    headerLines_ = {kAcceptLine, kUserAgentLine, kFormContentTypeLine};
}

void HttpTransfer::UseJsonHeaders() {
    headerLines_ = {kAcceptLine, kUserAgentLine, kJsonContentTypeLine};
}

void HttpTransfer::Cancel() {
    {
        std::lock_guard<std::mutex> guard(pauseMutex_);
        cancelFlag_.exchange(1);
    }
    pauseWake_.notify_all();
}

void HttpTransfer::ResetCancel() {
    cancelFlag_.exchange(0);
}

void HttpTransfer::PauseBeforeRetry() {
    std::unique_lock<std::mutex> lock(pauseMutex_);
    pauseWake_.wait_for(lock, timings_.retryPause, [this] { return IsCancelled(); });
}

int HttpTransfer::Transfer(const std::string& url,
                           DownloadDataProcessor* processor,
                           HttpVerb verb,
                           const std::string& body,
                           std::int64_t offset,
                           std::uint32_t length) {
    if (!processor)
        return kTransferInvalid;
    Request request;
    if (!ParseRequestTarget(url, request.target))
        return kTransferInvalid;
    // The last asked byte, offset + length - 1, must be representable.
    if (offset >= 0 && length > 0 && offset - 1 > std::numeric_limits<std::int64_t>::max() - length)
        return kTransferInvalid;
    request.processor = processor;
    request.verb = verb;
    request.body = body;
    request.offset = offset;
    request.length = length;

    int result = kTransferInvalid;
    for (int attempt = 1; attempt <= maxAttempts_; ++attempt) {
        if (IsCancelled())
            return kTransferCancelled;
        if (attemptCallback_)
            attemptCallback_(attempt, maxAttempts_);
        result = Attempt(request);
        if (!processor->Finish())
            result = kTransferNetworkFailed;
        if (IsCancelled())
            return kTransferCancelled;
        if (result == kTransferOk)
            return result;
        PauseBeforeRetry();
    }
    return result;
}

int HttpTransfer::Attempt(const Request& request) {
    platform::HttpExchangeRequest exchange;
    exchange.url = request.target.url;
    exchange.post = request.verb == kVerbPost;
    if (exchange.post)
        exchange.body = request.body;
    exchange.headerLines = headerLines_;
    bool ranged = request.offset >= 0;
    if (ranged) {
        char range[96];
        std::snprintf(range, sizeof(range), "Range: bytes=%" PRId64 "-%" PRId64, request.offset,
                      request.offset + static_cast<std::int64_t>(request.length) - 1);
        exchange.headerLines.emplace_back(range);
    }
    exchange.idleLimit = timings_.receiveIdle;
    exchange.cancelFlag = &cancelFlag_;

    AttemptState state;
    state.cancelFlag = &cancelFlag_;
    state.processor = request.processor;
    state.ranged = ranged;
    state.offset = request.offset;
    state.length = request.length;

    platform::HttpExchangeOutcome outcome = platform::RunHttpExchange(exchange, state);
    int result = kTransferOk;
    // Checked in this order, and Decide() acts, so two outcomes each stand in two branches.
    // NOLINTBEGIN(bugprone-branch-clone)
    if (state.outcome != 0) {
        result = state.outcome;
    } else if (state.Cancelled()) {
        result = kTransferCancelled;
    } else if (outcome != platform::HttpExchangeOutcome::kComplete) {
        result = kTransferNetworkFailed;
    } else if (ranged && state.received != request.length) {
        result = kTransferNetworkFailed;
    }
    // NOLINTEND(bugprone-branch-clone)
    if (result == kTransferNetworkFailed)
        TraceLine(kNetworkFailedTrace);
    return result;
}
