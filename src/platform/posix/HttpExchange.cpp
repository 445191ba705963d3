#include "platform/HttpExchange.h"

#include <curl/curl.h>

#include <strings.h>
#include <cstring>
#include <memory>
#include <new>

namespace platform {
namespace {

// libcurl reads in large blocks.
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

// What one exchange learnt while libcurl ran it; the callbacks fill it.
struct ExchangeState {
    const HttpExchangeRequest* request = nullptr;
    HttpExchangeHandler* handler = nullptr;
    CURL* handle = nullptr;

    std::string contentRange;  // of the latest response head
    bool responded = false;    // OnResponse was called
    bool stopped = false;      // the handler refused

    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDown = 0, lastUp = 0;

    bool Cancelled() const { return request->cancelFlag && request->cancelFlag->load() != 0; }

    bool Respond() {
        responded = true;
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        curl_off_t contentLength = -1;
        curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &contentLength);
        if (!handler->OnResponse(static_cast<int>(status), contentLength, contentRange)) {
            stopped = true;
            return false;
        }
        return true;
    }
};

// libcurl is C code: no exception may unwind through it. Memory running out in a callback ends
// the exchange there.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* context) try {
    auto* state = static_cast<ExchangeState*>(context);
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
    return 0;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* context) try {
    auto* state = static_cast<ExchangeState*>(context);
    std::size_t total = size * count;
    if (!state->responded && !state->Respond())
        return 0;
    if (state->stopped || state->Cancelled())
        return 0;
    if (!state->handler->OnBody(data, total)) {
        state->stopped = true;
        return 0;
    }
    return total;
} catch (const std::bad_alloc&) {
    static_cast<ExchangeState*>(context)->stopped = true;
    return 0;
}

int OnProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto* state = static_cast<ExchangeState*>(context);
    if (state->Cancelled())
        return 1;
    Clock::time_point now = Clock::now();
    if (downloaded != state->lastDown || uploaded != state->lastUp) {
        state->lastDown = downloaded;
        state->lastUp = uploaded;
        state->lastActivity = now;
        return 0;
    }
    return now - state->lastActivity > state->request->idleLimit ? 1 : 0;
}

}  // namespace

HttpExchangeOutcome RunHttpExchange(const HttpExchangeRequest& request, HttpExchangeHandler& handler) {
    InitialiseCurlOnce();
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle)
        return HttpExchangeOutcome::kFailed;
    CURL* h = handle.get();

    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line : request.headerLines) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown)
            return HttpExchangeOutcome::kFailed;
        (void)headers.release();
        headers.reset(grown);
    }

    ExchangeState state;
    state.request = &request;
    state.handler = &handler;
    state.handle = h;

    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.idleLimit.count()));
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);
    if (request.post) {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }

    CURLcode code = curl_easy_perform(h);
    if (state.stopped || state.Cancelled())
        return HttpExchangeOutcome::kStopped;
    if (code != CURLE_OK)
        return HttpExchangeOutcome::kFailed;
    // An answer without body bytes: its head is handed over only now.
    if (!state.responded && !state.Respond())
        return HttpExchangeOutcome::kStopped;
    return HttpExchangeOutcome::kComplete;
}

}  // namespace platform
