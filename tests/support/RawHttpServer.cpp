#include "support/RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {
namespace {

std::size_t ContentLength(const std::string& head) {
    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(start, end - start);
        if (strncasecmp(line.c_str(), "Content-Length:", 15) == 0)
            return static_cast<std::size_t>(std::strtoul(line.c_str() + 15, nullptr, 10));
        start = end + 2;
    }
    return 0;
}

}  // namespace

RawHttpServer::RawHttpServer(std::string response) : response_(std::move(response)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof(address);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot start the raw test server");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

RawHttpServer::~RawHttpServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string RawHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> RawHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
}

bool RawHttpServer::WaitForRequests(std::size_t count, int timeoutSeconds) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(timeoutSeconds), [&] { return requests_.size() >= count; });
}

std::vector<std::string> RawHttpServer::HeadLines(const std::string& request) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = request.find("\r\n", start);
        if (end == std::string::npos || end == start)
            return lines;
        lines.push_back(request.substr(start, end - start));
        start = end + 2;
    }
}

std::string RawHttpServer::Body(const std::string& request) {
    std::size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? "" : request.substr(end + 4);
}

void RawHttpServer::Run() {
    // Short poll intervals let the destructor end the loop promptly.
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0)
            ServeConnection(connection);
    }
}

void RawHttpServer::ServeConnection(int connection) {
    std::string request;
    std::size_t wanted = std::string::npos;
    char buffer[4096];
    while (!stopping_ && (wanted == std::string::npos || request.size() < wanted)) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        ssize_t n = ::recv(connection, buffer, sizeof(buffer), 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
        std::size_t headEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos)
            wanted = headEnd + 4 + ContentLength(request.substr(0, headEnd));
    }
    if (!request.empty()) {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            requests_.push_back(request);
        }
        arrived_.notify_all();
        std::size_t sent = 0;
        while (sent < response_.size()) {
            ssize_t n = ::send(connection, response_.data() + sent, response_.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
    }
    ::shutdown(connection, SHUT_RDWR);
    ::close(connection);
}

}  // namespace testsupport
