#include "download/HttpTransfer.h"

#include "base/Trace.h"
#include "download/DownloadDataProcessor.h"
#include "download/HttpRequestTarget.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
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
// libcurl reads in large blocks; the pieces are cut from them.
constexpr long kReceiveBufferSize = 64 * 1024;
constexpr long kMaxRedirects = 5;

using Clock = std::chrono::steady_clock;

void InitialiseCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

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

// What one attempt learnt while libcurl ran it; the callbacks fill it.
struct AttemptState {
    const std::atomic<int>* cancelFlag = nullptr;
    CURL* handle = nullptr;
    DownloadDataProcessor* processor = nullptr;
    bool ranged = false;
    std::int64_t offset = 0;
    std::uint32_t length = 0;
    std::chrono::milliseconds idleLimit{0};

    std::string contentRange;  // of the latest response head
    bool decided = false;      // the final response's status was looked at
    bool accepted = false;     // ... and Begin accepted it
    int outcome = 0;           // nonzero: a callback ended the attempt with this result
    std::uint64_t received = 0;

    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDown = 0, lastUp = 0;

    bool Cancelled() const { return cancelFlag->load() != 0; }

    // "bytes first-last/total" naming exactly the asked range.
    bool ContentRangeMatches() const {
        std::int64_t first = 0, last = 0;
        if (std::sscanf(contentRange.c_str(), "bytes %" SCNd64 "-%" SCNd64 "/", &first, &last) != 2)
            return false;
        return first == offset && last == offset + static_cast<std::int64_t>(length) - 1;
    }

    // Looks at the final response before any of its body is used. False ends the attempt with
    // `outcome` set.
    bool Decide() {
        decided = true;
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        if (status != 200 && status != 206) {
            outcome = static_cast<int>(status);
            return false;
        }
        curl_off_t contentLength = -1;
        curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &contentLength);
        if (ranged) {
            bool exact = status == 206 ? ContentRangeMatches() && (contentLength < 0 || contentLength == length)
                                       : contentLength == static_cast<curl_off_t>(length);
            if (!exact) {
                outcome = kTransferNetworkFailed;
                return false;
            }
        }
        auto announced = static_cast<std::uint32_t>(
            std::clamp<curl_off_t>(contentLength, 0, std::numeric_limits<std::uint32_t>::max()));
        if (!processor->Begin(announced)) {
            outcome = kTransferBeginRefused;
            return false;
        }
        accepted = true;
        return true;
    }
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* context) try {
    auto* state = static_cast<AttemptState*>(context);
    std::string line(data, size * count);
    if (StartsWithNoCase(line, "HTTP/")) {
        state->contentRange.clear();
    } else if (StartsWithNoCase(line, "Content-Range:")) {
        std::size_t start = line.find_first_not_of(" \t", std::strlen("Content-Range:"));
        std::size_t end = line.find_last_not_of(" \t\r\n");
        state->contentRange = start == std::string::npos || end < start ? "" : line.substr(start, end - start + 1);
    }
    return size * count;
} catch (const std::bad_alloc&) {
    return 0;  // libcurl is C: the exception ends here, and the attempt fails
}

std::size_t DeliverBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* state = static_cast<AttemptState*>(context);
    std::size_t total = size * count;
    if (!state->decided && !state->Decide())
        return 0;
    if (!state->accepted)
        return 0;
    if (state->ranged && state->received + total > state->length) {
        state->outcome = kTransferNetworkFailed;
        return 0;
    }
    for (std::size_t done = 0; done < total; done += kChunkSize) {
        if (state->Cancelled())
            return 0;
        auto piece = static_cast<std::uint32_t>(std::min(kChunkSize, total - done));
        if (!state->processor->Write(data + done, piece)) {
            state->outcome = kTransferWriteRefused;
            return 0;
        }
        state->received += piece;
    }
    return total;
}

// libcurl is C code: no exception may unwind through it. Memory running out while a processor
// takes a chunk (a text body growing) refuses the chunk, which fails the attempt like any refusal.
std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* context) {
    try {
        return DeliverBody(data, size, count, context);
    } catch (const std::bad_alloc&) {
        static_cast<AttemptState*>(context)->outcome = kTransferWriteRefused;
        return 0;
    }
}

int OnProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto* state = static_cast<AttemptState*>(context);
    if (state->Cancelled())
        return 1;
    Clock::time_point now = Clock::now();
    if (downloaded != state->lastDown || uploaded != state->lastUp) {
        state->lastDown = downloaded;
        state->lastUp = uploaded;
        state->lastActivity = now;
        return 0;
    }
    return now - state->lastActivity > state->idleLimit ? 1 : 0;
}

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
    InitialiseCurlOnce();
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        TraceLine(kNetworkFailedTrace);
        return kTransferNetworkFailed;
    }
    CURL* h = handle.get();

    std::unique_ptr<curl_slist, ListDeleter> headers;
    auto addHeader = [&headers](const std::string& line) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (grown) {
            (void)headers.release();
            headers.reset(grown);
        }
        return grown != nullptr;
    };
    bool listComplete = true;
    for (const std::string& line : headerLines_)
        listComplete = addHeader(line) && listComplete;
    bool ranged = request.offset >= 0;
    if (ranged) {
        char range[96];
        std::snprintf(range, sizeof(range), "Range: bytes=%" PRId64 "-%" PRId64, request.offset,
                      request.offset + static_cast<std::int64_t>(request.length) - 1);
        listComplete = addHeader(range) && listComplete;
    }
    if (!listComplete) {
        TraceLine(kNetworkFailedTrace);
        return kTransferNetworkFailed;
    }

    AttemptState state;
    state.cancelFlag = &cancelFlag_;
    state.handle = h;
    state.processor = request.processor;
    state.ranged = ranged;
    state.offset = request.offset;
    state.length = request.length;
    state.idleLimit = timings_.receiveIdle;

    curl_easy_setopt(h, CURLOPT_URL, request.target.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timings_.receiveIdle.count()));
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);
    if (request.verb == kVerbPost) {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }

    CURLcode code = curl_easy_perform(h);
    int result = kTransferOk;
    // Checked in this order, and Decide() acts, so two outcomes each stand in two branches.
    // NOLINTBEGIN(bugprone-branch-clone)
    if (state.outcome != 0) {
        result = state.outcome;
    } else if (state.Cancelled()) {
        result = kTransferCancelled;
    } else if (code != CURLE_OK) {
        result = kTransferNetworkFailed;
    } else if (!state.decided && !state.Decide()) {
        // A response without body bytes: its status is looked at only now.
        result = state.outcome;
    } else if (ranged && state.received != request.length) {
        result = kTransferNetworkFailed;
    }
    // NOLINTEND(bugprone-branch-clone)
    if (result == kTransferNetworkFailed)
        TraceLine(kNetworkFailedTrace);
    return result;
}
