#pragma once

#include <string>

#include <sys/types.h>

namespace testsupport {

// A TCP port on 127.0.0.1 kept for one test from construction to destruction. A socket stays bound
// to it without listening, with SO_REUSEPORT: the system then hands the port to no other bind to
// port 0 and to no outgoing connection, yet NginxServer (which listens with reuseport under the
// same user) can bind it, as often as a test restarts the server. Closing a probe socket and
// naming its port to nginx instead would let a test running alongside take the port in between.
// port() is 0 when no socket could be bound.
class ReservedPort {
public:
    ReservedPort();
    ~ReservedPort();
    ReservedPort(const ReservedPort&) = delete;
    ReservedPort& operator=(const ReservedPort&) = delete;

    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// nginx on 127.0.0.1 serving a published version through scripts/serve: POST / answers the
// update-address JSON of `version`, /cdn/ serves `cdnFolder` with byte ranges. Started by the
// constructor (which waits until the port accepts connections), stopped by the destructor.
// `port` comes from a ReservedPort that outlives the server.
class NginxServer {
public:
    NginxServer(const std::string& cdnFolder, const std::string& version, int port);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    bool running() const { return running_; }
    int port() const { return port_; }
    std::string baseUrl() const;  // http://127.0.0.1:PORT
    void Stop();

private:
    int port_;
    pid_t pid_ = -1;
    bool running_ = false;
};

}  // namespace testsupport
