#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace testsupport {

// One request as the server saw it. httplib hands headers over sorted by name, not in the order
// they were sent; RawHttpServer sees the raw bytes.
struct RecordedRequest {
    std::string method;
    std::string target;   // the request target as sent (path and query)
    std::string path;     // without the query
    std::string version;  // "HTTP/1.0"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The first value of a header (case-insensitive name), empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// How one path answers. Defaults: 200 with `content`, Range honoured (206 with Content-Range).
struct Route {
    Route() = default;
    explicit Route(std::string file) : content(std::move(file)) {}

    std::string content;  // the file, or the answer to POST
    // The first `failFirst` requests are answered with `failStatus` and a short body.
    int failFirst = 0;
    int failStatus = 503;
    // Nonzero: every request (after the failFirst ones) gets this status and `statusBody`.
    int status = 0;
    std::string statusBody = "no such thing";
    // Not empty: every request (after the failFirst ones) is redirected here with 302.
    std::string location;
    // False: a Range request gets 200 with the whole file.
    bool honourRange = true;
    // Answers a range moved by this many bytes, with a Content-Range that names the moved range.
    std::int64_t rangeShift = 0;
    // Bytes sent after the asked ones, counted in Content-Length (a server that sends more).
    std::string overrun;
    // Closes the connection after this many body bytes, for the first `cutTimes` requests.
    std::int64_t cutAfter = -1;
    int cutTimes = 1;
    // Stops sending after this many body bytes until ReleaseStalls() or the server stops.
    std::int64_t stallAfter = -1;
};

class SelfSignedCertificate;

// An HTTP server on 127.0.0.1 and a free port, running from construction to destruction, that
// answers scripted routes from memory and records every request. Unknown paths get 404. With
// kTls it speaks HTTPS with a self-signed certificate that no client trusts.
class TestHttpServer {
public:
    enum Security { kPlain, kTls };

    explicit TestHttpServer(Security security = kPlain);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" + path ("https://" with kTls).
    std::string Url(const std::string& path) const;

    // Sets (or replaces) the answer of `path` (exact match, without query) for GET and POST.
    void Serve(const std::string& path, Route route);

    std::vector<RecordedRequest> Requests() const;
    std::size_t RequestCount() const;
    // Waits until at least `count` requests arrived; false after `timeoutSeconds`.
    bool WaitForRequests(std::size_t count, int timeoutSeconds = 30) const;
    // Waits until at least `count` answers have sent their bytes up to `stallAfter` and wait
    // there; false after `timeoutMilliseconds`.
    bool WaitForStalls(std::size_t count, int timeoutMilliseconds) const;
    // Lets every stalled answer go on.
    void ReleaseStalls();

private:
    void Handle(const httplib::Request& request, httplib::Response& response);

    std::unique_ptr<SelfSignedCertificate> certificate_;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    int port_ = 0;
    std::string scheme_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<std::string, Route> routes_;
    std::map<std::string, int> hits_;
    std::vector<RecordedRequest> requests_;
    std::size_t stalls_ = 0;
    bool released_ = false;
    bool stopping_ = false;
};

}  // namespace testsupport
