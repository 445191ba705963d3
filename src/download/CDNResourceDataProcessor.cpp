#include "download/CDNResourceDataProcessor.h"

#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "base/TextConversions.h"
#include "base/Trace.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"

#include <algorithm>
#include <atomic>

namespace {

// Staged names: a folder per worker thread, then this process's id and a counter, so no two
// files (of this or a concurrent updater) ever share one, whatever the published names are. A
// file is created in, and renamed out of, its own thread's folder: the workers do not queue for
// one shared folder's lock.
std::string UniqueStagedName() {
    static std::atomic<std::uint64_t> counter{0};
    static std::atomic<int> threads{0};
    static const std::string prefix = std::to_string(platform::CurrentProcessId()) + "-";
    thread_local const std::string folder = "w" + std::to_string(++threads) + "/";
    return folder + prefix + std::to_string(++counter);
}

}  // namespace

CDNResourceDataProcessor::CDNResourceDataProcessor(DownloadTaskInfo task)
    : DownloadDataProcessor(std::move(task)),
      sink_([this](const unsigned char* data, std::size_t size) { return Output(data, size); }) {}

CDNResourceDataProcessor::~CDNResourceDataProcessor() {
    Discard();
}

void CDNResourceDataProcessor::Discard() {
    file_.Close();
    if (!staged_.empty())
        platform::RemoveFile(staged_);
    staged_.clear();
}

bool CDNResourceDataProcessor::Begin(std::uint32_t) {
    written_ = 0;
    if (begun_)
        return false;
    std::string target;
    if (stagingFolder_.empty() || !IsSafeResourceName(task().name) ||
        (!baseDir_.empty() && !ResolveResourcePath(baseDir_, task().name, target)))
        return false;
    // Nothing touches the disk until the first bytes come out: a segment begins thousands of
    // files at once.
    Discard();
    gunzip_.Reset();
    md5_ = Md5Context();
    pending_.clear();
    complete_ = failed_ = arrived_ = mismatched_ = false;
    begun_ = true;
    return true;
}

bool CDNResourceDataProcessor::OpenStaged(const std::string& firstBytes) {
    staged_ = stagingFolder_ + UniqueStagedName();
    // The mode is known from the first bytes: no mode change after the file is written.
    auto mode = platform::LooksLikeProgram(firstBytes) ? platform::File::ProgramMode : platform::File::KeepMode;
    // A thread's folder is made with its first file (one removed meanwhile is made again).
    std::string folder;
    if (file_.CreateForWrite(staged_, mode) ||
        (ParentFolder(staged_, folder) && (CreateFolderChain(folder), file_.CreateForWrite(staged_, mode))))
        return true;
    staged_.clear();
    return false;
}

bool CDNResourceDataProcessor::Output(const unsigned char* data, std::size_t size) {
    Md5Update(md5_, data, size);
    if (file_.IsOpen())
        return file_.Write(data, size);
    if (pending_.size() + size < 4) {
        pending_.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string first = pending_ + std::string(reinterpret_cast<const char*>(data), 4 - pending_.size());
    bool ok = OpenStaged(first) && file_.Write(pending_.data(), pending_.size()) && file_.Write(data, size);
    pending_.clear();
    return ok;
}

bool CDNResourceDataProcessor::Write(const char* data, std::uint32_t size) {
    if (!begun_ || failed_ || complete_)
        return false;
    if (!gunzip_.Feed(data, size, sink_)) {
        failed_ = true;
        Discard();
        return false;
    }
    written_ += size;
    if (written_ > highWater_) {
        std::int64_t growth = written_ - highWater_;
        highWater_ = written_;
        if (progressCallback_)
            progressCallback_(growth);
    }
    if (task().offset >= 0 && written_ >= static_cast<std::int64_t>(task().length))
        return Complete();
    return true;
}

bool CDNResourceDataProcessor::Complete() {
    complete_ = true;
    bool whole = gunzip_.End(sink_);
    if (whole && !file_.IsOpen())
        whole = OpenStaged(pending_) && file_.Write(pending_.data(), pending_.size());
    whole = file_.Close() && whole;
    if (!whole) {
        failed_ = true;
        Discard();
        return false;
    }
    std::uint8_t digest[16];
    Md5Final(md5_, digest);
    std::string actual = ToHexUpper(std::string(reinterpret_cast<const char*>(digest), sizeof(digest)));
    if (IsMd5Tag(task().md5) && !EqualsIgnoringAsciiCase(actual, task().md5)) {
        TraceLine("文件校验失败\t" + task().name + "\t配置:" + task().md5 + "\t实际:" + actual);
        Discard();
        mismatched_ = true;
        return true;
    }
    if (!baseDir_.empty()) {
        std::string target, folder;
        ResolveResourcePath(baseDir_, task().name, target);
        Tell(Placement::Placing);
        // Folders are made ahead of a run; one removed meanwhile is made again here.
        bool moved =
            platform::RenameFile(staged_, target) ||
            (ParentFolder(target, folder) && (CreateFolderChain(folder), platform::RenameFile(staged_, target)));
        if (!moved) {
            TraceLine("文件无法放置\t" + target);
            Tell(Placement::NotPlaced);
            failed_ = true;
            Discard();
            return false;
        }
        staged_.clear();
    }
    arrived_ = true;
    Tell(Placement::Placed);
    return true;
}

void CDNResourceDataProcessor::Tell(Placement step) {
    if (placementCallback_)
        placementCallback_(*this, step);
}

bool CDNResourceDataProcessor::Finish() {
    if (!begun_)
        return false;
    begun_ = false;
    // A whole-body task learns that its body is complete only here.
    if (!complete_ && !failed_ && task().offset < 0 && written_ > 0)
        Complete();
    if (arrived_ || mismatched_)
        return true;
    // A range cut short, damaged data or nothing at all: the old target stays as it was.
    Discard();
    gunzip_.Reset();
    return false;
}

bool CDNResourceDataProcessor::GetContent(std::string& out) {
    std::string path = staged_;
    if (begun_ || (path.empty() && (baseDir_.empty() || !ResolveResourcePath(baseDir_, task().name, path))) ||
        !platform::FileExists(path))
        return true;
    return ReadRawFile(path, out);
}
