#include "platform/FileSystem.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {
namespace {

thread_local int lastError = 0;

bool Fail() {
    lastError = static_cast<int>(::GetLastError());
    return false;
}

// Closes the handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid())
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // Closes now; false when closing failed (a delayed write error shows here).
    bool Close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

// Readers and writers share files the way POSIX descriptors do: a file being read can be
// replaced or removed.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenWide(const std::string& path, DWORD access, DWORD disposition) {
    return ::CreateFileW(Widen(path).c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE handle, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(handle, data, piece, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// With FILE_APPEND_DATA alone as the access, every write goes to the file's end.
bool WriteNewContent(const std::string& path, const std::string& bytes, DWORD access, DWORD disposition) {
    Handle file(OpenWide(path, access, disposition));
    if (!file.valid())
        return Fail();
    bool ok = WriteAll(file.get(), bytes.data(), bytes.size()) || Fail();
    if (!file.Close() && ok)
        ok = Fail();
    return ok;
}

bool IsFolderAttribute(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

int LastErrorCode() {
    return lastError;
}

bool FileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Fail();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        lastError = ERROR_DIRECTORY;
        return false;
    }
    Handle file(OpenWide(path, GENERIC_READ, OPEN_EXISTING));
    return file.valid() || Fail();
}

bool FolderExists(const std::string& path) {
    return IsFolderAttribute(::GetFileAttributesW(Widen(path).c_str()));
}

bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryW(Widen(path).c_str(), nullptr) || Fail();
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Widen(path).c_str()) || Fail();
}

bool RenameFile(const std::string& from, const std::string& to) {
    return ::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) || Fail();
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    Handle file(OpenWide(path, GENERIC_READ, OPEN_EXISTING));
    if (!file.valid())
        return Fail();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        return Fail();
    std::string content;
    content.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), buffer, sizeof(buffer), &n, nullptr))
            return Fail();
        if (n == 0)
            break;
        content.append(buffer, n);
    }
    bytes.swap(content);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteNewContent(path, bytes, GENERIC_WRITE, CREATE_ALWAYS);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".new";
    if (!WriteNewContent(temporary, bytes, GENERIC_WRITE, CREATE_ALWAYS)) {
        ::DeleteFileW(Widen(temporary).c_str());
        return false;
    }
    if (!::MoveFileExW(Widen(temporary).c_str(), Widen(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail();
        ::DeleteFileW(Widen(temporary).c_str());
        return false;
    }
    return true;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
    return WriteNewContent(path, bytes, FILE_APPEND_DATA, OPEN_ALWAYS);
}

bool WriteAtOffset(const std::string& path, std::int64_t offset, const std::string& bytes) {
    Handle file(OpenWide(path, GENERIC_WRITE, OPEN_EXISTING));
    if (!file.valid())
        return Fail();
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN))
        return Fail();
    return WriteAll(file.get(), bytes.data(), bytes.size()) || Fail();
}

bool CopyFileNoReplace(const std::string& from, const std::string& to) {
    if (!FileExists(from))
        return false;
    if (::CopyFileW(Widen(from).c_str(), Widen(to).c_str(), TRUE))
        return true;
    Fail();
    // A copy that failed half-way leaves its partial target; one that found `to` present did not
    // make it.
    if (lastError != ERROR_FILE_EXISTS && lastError != ERROR_ALREADY_EXISTS)
        ::DeleteFileW(Widen(to).c_str());
    return false;
}

bool ListFolder(const std::string& path, std::vector<std::pair<std::string, bool>>& entries) {
    std::string pattern = path;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/')
        pattern.push_back('\\');
    pattern.push_back('*');
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // An empty folder still has "." and ".."; "not found" means no folder.
        return Fail();
    }
    do {
        std::string name = Narrow(found.cFileName);
        if (name == "." || name == "..")
            continue;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            isFolder = FolderExists(pattern.substr(0, pattern.size() - 1) + name);  // a link: where it leads
        entries.emplace_back(std::move(name), isFolder);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return true;
}

bool RemoveFolder(const std::string& path) {
    return ::RemoveDirectoryW(Widen(path).c_str()) || Fail();
}

std::int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        Fail();
        return -1;
    }
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool LooksLikeProgram(const std::string& firstBytes) {
    return firstBytes.compare(0, 2, "MZ") == 0;  // the DOS header every Windows program starts with
}

void ApplyFileModeForContent(const std::string&, const std::string&) {
    // Windows runs a program by its name; there is no mode to give.
}

}  // namespace platform
