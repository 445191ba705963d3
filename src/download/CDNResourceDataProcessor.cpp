#include "download/CDNResourceDataProcessor.h"

#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "download/GunzipFile.h"
#include "platform/FileSystem.h"

namespace {

const char kTemporarySuffix[] = ".t";

}  // namespace

bool CDNResourceDataProcessor::TargetPath(std::string& path) const {
    return ResolveResourcePath(baseDir_, task().name, path);
}

bool CDNResourceDataProcessor::Begin(std::uint32_t) {
    written_ = 0;
    if (begun_)
        return false;
    std::string target;
    if (!TargetPath(target))
        return false;
    std::string temporary = target + kTemporarySuffix;
    std::string folder;
    if (!ParentFolder(temporary, folder))
        return false;
    if (!folder.empty() && !platform::FolderExists(folder))
        CreateFolderChain(folder);
    // One unlink each: a name that is not there is simply not there (thousands of small files
    // make every system call count).
    platform::RemoveFile(temporary);
    platform::RemoveFile(target);
    if (!file_.CreateForWrite(temporary, platform::File::KeepMode) || !file_.Close())
        return false;
    temporary_ = temporary;
    begun_ = true;
    return true;
}

bool CDNResourceDataProcessor::Write(const char* data, std::uint32_t size) {
    if (!begun_ || (!file_.IsOpen() && !file_.OpenForAppend(temporary_)))
        return false;
    if (!file_.Write(data, size))
        return false;
    written_ += size;
    // The whole range is here: release the file until Finish unpacks it.
    if (task().offset >= 0 && written_ >= static_cast<std::int64_t>(task().length) && !file_.Close())
        return false;
    if (written_ > highWater_) {
        std::int64_t growth = written_ - highWater_;
        highWater_ = written_;
        if (progressCallback_)
            progressCallback_(growth);
    }
    return true;
}

bool CDNResourceDataProcessor::Finish() {
    if (!begun_)
        return false;
    begun_ = false;
    if (file_.IsOpen() && !file_.Close())
        return false;
    if (written_ == 0)
        return false;
    // A range cut short is never unpacked: a cut after its first byte leaves no gzip magic to
    // see, and that byte would be copied into the target as if it were the file.
    if (task().offset >= 0 && written_ != static_cast<std::int64_t>(task().length))
        return false;
    std::string target;
    if (!TargetPath(target) || !GunzipFile(target, temporary_))
        return false;
    platform::RemoveFile(temporary_);
    return true;
}

bool CDNResourceDataProcessor::GetContent(std::string& out) {
    std::string target;
    if (begun_ || !TargetPath(target) || !platform::FileExists(target))
        return true;
    return ReadRawFile(target, out);
}
