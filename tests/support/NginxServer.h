#pragma once

#include <string>

#include <sys/types.h>

namespace testsupport {

// A free TCP port on 127.0.0.1 at the moment of the call.
int FindFreePort();

// nginx on 127.0.0.1 serving a published version through scripts/serve: POST / answers the
// update-address JSON of `version`, /cdn/ serves `cdnFolder` with byte ranges. Started by the
// constructor (which waits until the port accepts connections), stopped by the destructor.
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
