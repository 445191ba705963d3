#include "platform/HttpExchange.h"

#include "platform/win32/WideText.h"

// The system header first: the others build on its types.
#include <windows.h>

#include <winhttp.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace platform {
namespace {

constexpr DWORD kMaxRedirects = 5;
constexpr DWORD kReceiveBufferSize = 64 * 1024;
// How often a cancel is looked for while a call blocks.
constexpr std::chrono::milliseconds kCancelPoll{100};

struct InternetHandle {
    HINTERNET handle = nullptr;
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : handle(h) {}
    ~InternetHandle() {
        if (handle)
            ::WinHttpCloseHandle(handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

// A session that uses the system's proxy settings: the automatic ones where the system has them
// (Windows 8.1 and later), else the user's configured proxy, else the machine's WinHTTP setting.
HINTERNET OpenSession() {
    HINTERNET session =
        ::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (session)
        return session;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
    if (::WinHttpGetIEProxyConfigForCurrentUser(&user) && user.lpszProxy) {
        session = ::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy,
                                user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
    }
    for (LPWSTR text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass}) {
        if (text)
            ::GlobalFree(text);
    }
    if (session)
        return session;
    return ::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
}

// Closes the request from a second thread once the cancel flag is set: WinHTTP's way to end a
// blocking call early. The request handle is closed exactly once, by whichever side comes first.
class CancelWatch {
public:
    CancelWatch(const std::atomic<int>* flag, HINTERNET request) : flag_(flag), request_(request) {
        if (flag_)
            watcher_ = std::thread([this] { Watch(); });
    }
    ~CancelWatch() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            done_ = true;
        }
        wake_.notify_all();
        if (watcher_.joinable())
            watcher_.join();
        CloseRequest();
    }
    CancelWatch(const CancelWatch&) = delete;
    CancelWatch& operator=(const CancelWatch&) = delete;

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(lock_);
        while (!done_) {
            if (flag_->load() != 0) {
                lock.unlock();
                CloseRequest();
                return;
            }
            wake_.wait_for(lock, kCancelPoll);
        }
    }
    void CloseRequest() {
        HINTERNET request = nullptr;
        {
            std::lock_guard<std::mutex> guard(closeLock_);
            request = request_;
            request_ = nullptr;
        }
        if (request)
            ::WinHttpCloseHandle(request);
    }

    const std::atomic<int>* flag_;
    HINTERNET request_;
    std::mutex lock_;
    std::mutex closeLock_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread watcher_;
};

// The final response's head as the server sent it, lines ending with CR LF.
std::string ResponseHead(HINTERNET request) {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                          WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return std::string();
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, text.data(),
                               &size, WINHTTP_NO_HEADER_INDEX))
        return std::string();
    text.resize(size / sizeof(wchar_t));
    return Narrow(text);
}

// The value of the head's first field `name` (compared without regard to case), blanks around
// it removed; false when the head has no such field.
bool HeadField(const std::string& head, const char* name, std::string& value) {
    std::size_t length = std::strlen(name);
    for (std::size_t start = 0; start < head.size();) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos)
            end = head.size();
        if (end - start > length && head[start + length] == ':' && _strnicmp(head.c_str() + start, name, length) == 0) {
            std::size_t first = head.find_first_not_of(" \t", start + length + 1);
            std::size_t last = head.find_last_not_of(" \t", end - 1);
            value = first == std::string::npos || first >= end ? "" : head.substr(first, last - first + 1);
            return true;
        }
        start = end + 2;
    }
    return false;
}

HttpExchangeOutcome Exchange(const HttpExchangeRequest& request,
                             HttpExchangeHandler& handler,
                             HINTERNET session,
                             const URL_COMPONENTS& parts) {
    auto cancelled = [&request] { return request.cancelFlag && request.cancelFlag->load() != 0; };
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    InternetHandle connection(::WinHttpConnect(session, host.c_str(), parts.nPort, 0));
    if (!connection.handle)
        return HttpExchangeOutcome::kFailed;
    // The object goes out as it is: it is already percent-encoded.
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo)
        object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= WINHTTP_FLAG_SECURE;
    HINTERNET handle = ::WinHttpOpenRequest(connection.handle, request.post ? L"POST" : L"GET", object.c_str(),
                                            L"HTTP/1.0", WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
    if (!handle)
        return HttpExchangeOutcome::kFailed;
    CancelWatch watch(request.cancelFlag, handle);  // owns the handle from here on

    // A fresh connection for every exchange, at most 5 redirects, between http and https alike.
    DWORD option = WINHTTP_DISABLE_KEEP_ALIVE;
    ::WinHttpSetOption(handle, WINHTTP_OPTION_DISABLE_FEATURE, &option, sizeof(option));
    option = kMaxRedirects;
    ::WinHttpSetOption(handle, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &option, sizeof(option));
    option = WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS;
    ::WinHttpSetOption(handle, WINHTTP_OPTION_REDIRECT_POLICY, &option, sizeof(option));

    std::wstring headers;
    for (const std::string& line : request.headerLines)
        headers += Widen(line) + L"\r\n";
    if (!headers.empty() && !::WinHttpAddRequestHeaders(handle, headers.c_str(), static_cast<DWORD>(headers.size()),
                                                        WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        return HttpExchangeOutcome::kFailed;

    LPVOID body = request.post && !request.body.empty() ? const_cast<char*>(request.body.data()) : nullptr;
    DWORD bodySize = request.post ? static_cast<DWORD>(request.body.size()) : 0;
    if (!::WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, body, bodySize, bodySize, 0) ||
        !::WinHttpReceiveResponse(handle, nullptr))
        return cancelled() ? HttpExchangeOutcome::kStopped : HttpExchangeOutcome::kFailed;

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return HttpExchangeOutcome::kFailed;
    std::string head = ResponseHead(handle);
    std::string length, range;
    std::int64_t contentLength =
        HeadField(head, "Content-Length", length) ? std::strtoll(length.c_str(), nullptr, 10) : -1;
    HeadField(head, "Content-Range", range);
    if (!handler.OnResponse(static_cast<int>(status), contentLength, range))
        return HttpExchangeOutcome::kStopped;

    std::string buffer(kReceiveBufferSize, '\0');
    for (;;) {
        if (cancelled())
            return HttpExchangeOutcome::kStopped;
        DWORD read = 0;
        if (!::WinHttpReadData(handle, buffer.data(), kReceiveBufferSize, &read))
            return cancelled() ? HttpExchangeOutcome::kStopped : HttpExchangeOutcome::kFailed;
        if (read == 0)
            return HttpExchangeOutcome::kComplete;
        if (!handler.OnBody(buffer.data(), read))
            return HttpExchangeOutcome::kStopped;
    }
}

}  // namespace

HttpExchangeOutcome RunHttpExchange(const HttpExchangeRequest& request, HttpExchangeHandler& handler) {
    std::wstring url = Widen(request.url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return HttpExchangeOutcome::kFailed;
    InternetHandle session(OpenSession());
    if (!session.handle)
        return HttpExchangeOutcome::kFailed;
    // Resolve, connect, send and every wait for received bytes share the idle limit.
    int idle = static_cast<int>(request.idleLimit.count());
    ::WinHttpSetTimeouts(session.handle, idle, idle, idle, idle);
    return Exchange(request, handler, session.handle, parts);
}

}  // namespace platform
