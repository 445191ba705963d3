#include "support/TestHttpServer.h"

#include "support/SelfSignedCertificate.h"

#include <httplib.h>

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <stdexcept>

// Debian ships cpp-httplib as a shared library built without ThreadSanitizer: the thread pool
// hands connections over in code the sanitizer cannot see, so it reports the library's own
// accesses as races. Only the test server runs inside that library.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libcpp-httplib.so\n";
}

namespace testsupport {
namespace {

// "bytes=first-last" with both numbers; anything else is treated as no usable range.
bool ParseRange(const std::string& header, std::int64_t& first, std::int64_t& last) {
    char end = 0;
    return std::sscanf(header.c_str(), "bytes=%" SCNd64 "-%" SCNd64 "%c", &first, &last, &end) == 2 && first >= 0 &&
           first <= last;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return "";
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return strcasecmp(header.first.c_str(), name.c_str()) == 0; });
}

TestHttpServer::TestHttpServer(Security security) {
    if (security == kTls) {
        certificate_ = std::make_unique<SelfSignedCertificate>();
        server_ = std::make_unique<httplib::SSLServer>(certificate_->certificate(), certificate_->key());
        scheme_ = "https://";
    } else {
        server_ = std::make_unique<httplib::Server>();
        scheme_ = "http://";
    }
    auto handler = [this](const httplib::Request& request, httplib::Response& response) { Handle(request, response); };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("cannot bind a test server");
    listener_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running())
        std::this_thread::yield();
}

TestHttpServer::~TestHttpServer() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    server_->stop();
    listener_.join();
}

std::string TestHttpServer::Url(const std::string& path) const {
    return scheme_ + "127.0.0.1:" + std::to_string(port_) + path;
}

void TestHttpServer::Serve(const std::string& path, Route route) {
    std::lock_guard<std::mutex> guard(mutex_);
    routes_[path] = std::move(route);
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
}

std::size_t TestHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_.size();
}

bool TestHttpServer::WaitForRequests(std::size_t count, int timeoutSeconds) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(timeoutSeconds), [&] { return requests_.size() >= count; });
}

bool TestHttpServer::WaitForStalls(std::size_t count, int timeoutMilliseconds) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds), [&] { return stalls_ >= count; });
}

void TestHttpServer::ReleaseStalls() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

void TestHttpServer::Handle(const httplib::Request& request, httplib::Response& response) {
    // This server decides about ranges itself; httplib must not cut the answer again.
    const_cast<httplib::Request&>(request).ranges.clear();

    RecordedRequest record;
    record.method = request.method;
    record.target = request.target;
    record.path = request.path;
    record.version = request.version;
    record.headers.assign(request.headers.begin(), request.headers.end());
    record.body = request.body;

    Route route;
    bool known = false;
    int hit = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        requests_.push_back(record);
        auto found = routes_.find(request.path);
        if (found != routes_.end()) {
            known = true;
            route = found->second;
            hit = ++hits_[request.path];
        }
    }
    changed_.notify_all();

    if (!known) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    if (hit <= route.failFirst) {
        response.status = route.failStatus;
        response.set_content("failure " + std::to_string(hit), "text/plain");
        return;
    }
    if (!route.location.empty()) {
        response.set_redirect(route.location, 302);
        return;
    }
    if (route.status != 0) {
        response.status = route.status;
        response.set_content(route.statusBody, "text/plain");
        return;
    }

    const std::string& file = route.content;
    auto size = static_cast<std::int64_t>(file.size());
    std::string body = file;
    std::int64_t first = 0, last = 0;
    response.status = 200;
    if (request.method == "GET" && route.honourRange && request.has_header("Range") &&
        ParseRange(request.get_header_value("Range"), first, last)) {
        if (first >= size) {
            response.status = 416;
            response.set_header("Content-Range", "bytes */" + std::to_string(size));
            response.set_content("", "text/plain");
            return;
        }
        first = std::clamp<std::int64_t>(first + route.rangeShift, 0, size - 1);
        last = std::clamp<std::int64_t>(std::min(last, size - 1) + route.rangeShift, first, size - 1);
        body = file.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
        response.status = 206;
        response.set_header("Content-Range",
                            "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size));
    }
    body += route.overrun;

    bool cut = route.cutAfter >= 0 && hit - route.failFirst <= route.cutTimes;
    if (!cut && route.stallAfter < 0) {
        response.set_content(body, "application/octet-stream");
        return;
    }
    std::int64_t limit = cut ? route.cutAfter : route.stallAfter;
    auto shared = std::make_shared<std::string>(std::move(body));
    auto stalled = std::make_shared<bool>(false);
    response.set_content_provider(
        shared->size(), "application/octet-stream",
        [this, shared, stalled, limit, cut](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            auto position = static_cast<std::int64_t>(offset);
            if (position < limit) {
                std::size_t piece = std::min<std::size_t>(length, static_cast<std::size_t>(limit - position));
                return sink.write(shared->data() + offset, piece);
            }
            if (cut)
                return false;
            std::unique_lock<std::mutex> lock(mutex_);
            if (!*stalled) {
                *stalled = true;
                ++stalls_;
                changed_.notify_all();
            }
            changed_.wait(lock, [this] { return released_ || stopping_; });
            if (stopping_)
                return false;
            lock.unlock();
            return sink.write(shared->data() + offset, length);
        });
}

}  // namespace testsupport
