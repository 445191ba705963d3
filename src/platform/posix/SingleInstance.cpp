#include "platform/SingleInstance.h"

#include "platform/Environment.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool ReserveSingleInstanceName(const std::string& name) {
    std::string folder = EnvironmentValue("XDG_RUNTIME_DIR");
    std::string path =
        folder.empty() ? "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock" : folder + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;  // a reservation that cannot be made is no other process's either
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    return true;  // the open descriptor is the reservation
}

}  // namespace platform
