#include "resources/LauncherJournal.h"

#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "resources/ManifestFormat.h"

#include "platform/File.h"

#include <limits>
#include <new>
#include <vector>

namespace {

void AppendLength(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t ReadLength(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

bool FitsLength(std::size_t size) {
    return size <= std::numeric_limits<std::uint32_t>::max();
}

// Reads one length-prefixed field at `at`; false when the prefix or the field runs past the end.
bool ReadField(const std::string& bytes, std::size_t& at, std::string& field) {
    if (bytes.size() - at < 4)
        return false;
    std::size_t length = ReadLength(bytes, at);
    at += 4;
    if (bytes.size() - at < length)
        return false;
    field.assign(bytes, at, length);
    at += length;
    return true;
}

}  // namespace

bool LauncherJournal::Begin() {
    DeleteFileIfExists(path_);
    bool created = platform::WriteWholeFile(path_, std::string(1, '\0'));
    intact_ = created;
    return created;
}

bool LauncherJournal::AppendRecord(const std::string& name, const std::string& content) {
    std::string pathBytes = platform::TextToAnsi(name);
    std::int64_t end = platform::FileSize(path_);
    bool ok = end >= 1 && FitsLength(pathBytes.size()) &&
              static_cast<std::int64_t>(content.size()) <=
                  kLargestLauncherJournal - end - 8 - static_cast<std::int64_t>(pathBytes.size());
    if (ok) {
        std::string record;
        record.reserve(8 + pathBytes.size() + content.size());
        AppendLength(record, static_cast<std::uint32_t>(pathBytes.size()));
        record += pathBytes;
        AppendLength(record, static_cast<std::uint32_t>(content.size()));
        record += content;
        ok = platform::WriteAtOffset(path_, end, record);
    }
    if (!ok)
        intact_ = false;
    return ok;
}

bool LauncherJournal::AppendFileRecord(const std::string& name, const std::string& path) {
    std::string pathBytes = platform::TextToAnsi(name);
    std::int64_t end = platform::FileSize(path_);
    std::int64_t size = platform::FileSize(path);
    platform::File in;
    platform::File out;
    bool ok = end >= 1 && size >= 0 && FitsLength(pathBytes.size()) &&
              size <= kLargestLauncherJournal - end - 8 - static_cast<std::int64_t>(pathBytes.size()) &&
              in.OpenForRead(path) && out.OpenForAppend(path_);
    if (ok) {
        std::string header;
        AppendLength(header, static_cast<std::uint32_t>(pathBytes.size()));
        header += pathBytes;
        AppendLength(header, static_cast<std::uint32_t>(size));
        ok = out.Write(header.data(), header.size());
        std::vector<char> block(64 * 1024);
        std::int64_t copied = 0;
        while (ok) {
            std::int64_t n = in.Read(block.data(), block.size());
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            copied += n;
            ok = copied <= size && out.Write(block.data(), static_cast<std::size_t>(n));
        }
        // The length went out first: a file that changed size meanwhile breaks the record.
        ok = ok && copied == size;
        ok = out.Close() && ok;
    }
    if (!ok)
        intact_ = false;
    return ok;
}

bool LauncherJournal::Complete(const std::string& manifestText) {
    if (manifestText.empty())
        return false;
    if (!AppendRecord(kLauncherManifestFileName, manifestText) || !intact_)
        return false;
    return platform::WriteAtOffset(path_, 0, std::string(1, '\1'));
}

void LauncherJournal::Delete() {
    DeleteFileIfExists(path_);
    intact_ = false;
}

LauncherJournalStatus ParseLauncherJournal(const std::string& bytes, std::vector<LauncherJournalRecord>& records) {
    records.clear();
    if (bytes.empty() || (bytes[0] != '\0' && bytes[0] != '\1'))
        return LauncherJournalStatus::Malformed;
    std::vector<LauncherJournalRecord> parsed;
    std::size_t at = 1;
    while (at < bytes.size()) {
        std::string pathBytes;
        LauncherJournalRecord record;
        if (!ReadField(bytes, at, pathBytes) || !ReadField(bytes, at, record.content))
            return LauncherJournalStatus::Malformed;
        record.path = platform::AnsiToText(pathBytes);
        // Path bytes the code page cannot carry would name some other file: refuse them.
        if (platform::TextToAnsi(record.path) != pathBytes || !IsSafeResourceName(record.path))
            return LauncherJournalStatus::Malformed;
        parsed.push_back(std::move(record));
    }
    if (bytes[0] == '\0') {
        records.swap(parsed);
        return LauncherJournalStatus::Incomplete;
    }
    // The state byte becomes 1 only after the manifest record was appended: a complete journal
    // that does not end with it has lost its tail.
    if (parsed.empty() || parsed.back().path != kLauncherManifestFileName)
        return LauncherJournalStatus::Malformed;
    records.swap(parsed);
    return LauncherJournalStatus::Complete;
}

LauncherJournalStatus ReadLauncherJournal(const std::string& path, std::vector<LauncherJournalRecord>& records) {
    records.clear();
    std::int64_t size = platform::FileSize(path);
    if (size < 0 || size > kLargestLauncherJournal)
        return LauncherJournalStatus::Unreadable;
    try {
        std::string bytes;
        if (!ReadRawFile(path, bytes))
            return LauncherJournalStatus::Unreadable;
        return ParseLauncherJournal(bytes, records);
    } catch (const std::bad_alloc&) {
        // Under a memory limit even a journal within the bound may not fit.
        records.clear();
        return LauncherJournalStatus::Unreadable;
    }
}
