#include "support/NginxServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {
namespace {

bool Accepts(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

ReservedPort::ReservedPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    const int on = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::setsockopt(fd_, SOL_SOCKET, SO_REUSEPORT, &on, sizeof(on)) != 0 ||
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
}

ReservedPort::~ReservedPort() {
    if (fd_ >= 0)
        ::close(fd_);
}

NginxServer::NginxServer(const std::string& cdnFolder, const std::string& version, int port) : port_(port) {
    std::string script = std::string(TOLM_SOURCE_DIR) + "/scripts/serve";
    std::string portText = std::to_string(port);
    std::vector<char*> argv = {const_cast<char*>("bash"),
                               script.data(),
                               const_cast<char*>(cdnFolder.c_str()),
                               const_cast<char*>(version.c_str()),
                               portText.data(),
                               const_cast<char*>("--reuseport"),
                               nullptr};
    if (::posix_spawn(&pid_, "/bin/bash", nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    // nginx needs a moment to bind; nothing signals readiness but the port itself.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Accepts(port_)) {
            running_ = true;
            return;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

NginxServer::~NginxServer() {
    Stop();
}

void NginxServer::Stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    running_ = false;
}

std::string NginxServer::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

}  // namespace testsupport
