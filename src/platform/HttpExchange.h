#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// One HTTP request and its answer over the system's HTTP client: libcurl on Linux, WinHTTP on
// Windows. The caller (the download layer's transfer) decides about retries, ranges and what an
// answer is worth; this only moves bytes.
//
// Every exchange uses a fresh connection, HTTP/1.0, exactly the given header lines in their order
// (the client adds only Host, and Content-Length for POST), up to 5 redirects between http and
// https, TLS with the system's certificate verification, and the system's proxy settings
// (Linux: http_proxy, https_proxy, no_proxy; Windows: the user's and the machine's settings).
namespace platform {

struct HttpExchangeRequest {
    std::string url;  // http or https, already percent-encoded
    bool post = false;
    std::string body;  // sent only with post
    std::vector<std::string> headerLines;
    // The exchange fails when no byte has moved for this long (connect, send and receive alike).
    std::chrono::milliseconds idleLimit{30000};
    // Read from any thread; once nonzero the exchange stops within about a second.
    const std::atomic<int>* cancelFlag = nullptr;
};

// Receives the final answer (after redirects). Called on the thread running the exchange.
class HttpExchangeHandler {
public:
    virtual ~HttpExchangeHandler() = default;
    // Once, before any body byte: the status, the Content-Length (-1 when not given) and the
    // Content-Range value without its name (empty when not given). False ends the exchange.
    virtual bool OnResponse(int status, std::int64_t contentLength, const std::string& contentRange) = 0;
    // Body bytes in the order they arrive, in pieces of any size. False ends the exchange.
    virtual bool OnBody(const char* data, std::size_t size) = 0;
};

enum class HttpExchangeOutcome {
    kComplete,  // the whole answer was handed over (OnResponse was called, also without body)
    kStopped,   // the handler refused, or the cancel flag was set
    kFailed,    // the network, the name lookup, TLS, the time-out, or a malformed answer
};

HttpExchangeOutcome RunHttpExchange(const HttpExchangeRequest& request, HttpExchangeHandler& handler);

}  // namespace platform
