#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// A loopback server that records each request byte for byte (request line, header lines in the
// order sent, body) and answers every one with the same fixed response, then closes the
// connection. For checks that need exactly what a client put on the wire, which TestHttpServer
// cannot show. Listens on 127.0.0.1 and a free port from construction to destruction.
class RawHttpServer {
public:
    // `response` is sent as it is, e.g. "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok".
    explicit RawHttpServer(std::string response);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return port_; }
    std::string Url(const std::string& path) const;

    // Raw requests received so far (head and body).
    std::vector<std::string> Requests() const;
    // Waits until at least `count` requests arrived; false after `timeoutSeconds`.
    bool WaitForRequests(std::size_t count, int timeoutSeconds = 30) const;

    // Splits a raw request into its head lines (without CR LF) up to the blank line.
    static std::vector<std::string> HeadLines(const std::string& request);
    // What follows the blank line.
    static std::string Body(const std::string& request);

private:
    void Run();
    void ServeConnection(int connection);

    std::string response_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::string> requests_;
};

}  // namespace testsupport
