#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform {
namespace {

thread_local int lastError = 0;

bool Fail() {
    lastError = errno;
    return false;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteNewContent(const std::string& path, const std::string& bytes, int flags) {
    int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail();
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    if (!ok)
        lastError = errno;
    if (::close(fd) != 0 && ok)
        ok = Fail();
    return ok;
}

}  // namespace

int LastErrorCode() {
    return lastError;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return Fail();
    if (!S_ISREG(info.st_mode)) {
        lastError = EISDIR;
        return false;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    ::close(fd);
    return true;
}

bool FolderExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0 || Fail();
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || Fail();
}

bool RenameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 || Fail();
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        lastError = errno ? errno : EISDIR;
        ::close(fd);
        return false;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail();
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    bytes.swap(content);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    if (!WriteNewContent(path, bytes, O_CREAT | O_TRUNC))
        return false;
    ApplyFileModeForContent(path, bytes.substr(0, 4));
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".new";
    if (!WriteNewContent(temporary, bytes, O_CREAT | O_TRUNC)) {
        ::unlink(temporary.c_str());
        return false;
    }
    ApplyFileModeForContent(temporary, bytes.substr(0, 4));
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        Fail();
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
    return WriteNewContent(path, bytes, O_CREAT | O_APPEND);
}

bool WriteAtOffset(const std::string& path, std::int64_t offset, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    bool ok = ::pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size());
    if (!ok)
        Fail();
    ::close(fd);
    return ok;
}

bool CopyFileNoReplace(const std::string& from, const std::string& to) {
    int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return Fail();
    struct stat info {};
    if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        lastError = errno ? errno : EISDIR;
        ::close(source);
        return false;
    }
    int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (target < 0) {
        Fail();
        ::close(source);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(source, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0 || Fail();
            break;
        }
        if (!WriteAll(target, buffer, static_cast<std::size_t>(n))) {
            ok = Fail();
            break;
        }
    }
    // The mode is set explicitly so the umask cannot take the execute bits off a program.
    if (ok && ::fchmod(target, info.st_mode & 07777) != 0)
        ok = Fail();
    if (::close(target) != 0 && ok)
        ok = Fail();
    ::close(source);
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

bool ListFolder(const std::string& path, std::vector<std::pair<std::string, bool>>& entries) {
    DIR* listing = ::opendir(path.c_str());
    if (!listing)
        return Fail();
    std::string base = path;
    if (!base.empty() && base.back() != '/')
        base.push_back('/');
    while (const dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            if (::stat((base + name).c_str(), &info) == 0) {
                isFolder = S_ISDIR(info.st_mode);
                isFile = S_ISREG(info.st_mode);
            }
        }
        if (isFolder || isFile)
            entries.emplace_back(std::move(name), isFolder);
    }
    ::closedir(listing);
    return true;
}

bool RemoveFolder(const std::string& path) {
    return ::rmdir(path.c_str()) == 0 || Fail();
}

std::int64_t FileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        Fail();
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool LooksLikeProgram(const std::string& firstBytes) {
    return firstBytes.compare(0, 4,
                              "\x7f"
                              "ELF") == 0 ||
           firstBytes.compare(0, 2, "#!") == 0;
}

void ApplyFileModeForContent(const std::string& path, const std::string& firstBytes) {
    ::chmod(path.c_str(), LooksLikeProgram(firstBytes) ? 0755 : 0644);
}

}  // namespace platform
