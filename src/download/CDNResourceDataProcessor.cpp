#include "download/CDNResourceDataProcessor.h"

#include "download/GunzipFile.h"
#include "platform/FileSystem.h"
#include "resources/FileUtilities.h"
#include "resources/SafePath.h"

namespace {

const char kTemporarySuffix[] = ".t";

}  // namespace

bool CDNResourceDataProcessor::TargetPath(std::string& path) const {
    return ResolveResourcePath(baseDir_, task().name, path);
}

bool CDNResourceDataProcessor::Begin(std::uint32_t) {
    written_ = 0;
    if (file_.IsOpen())
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
    DeleteFileIfExists(temporary);
    DeleteFileIfExists(target);
    return file_.CreateForWrite(temporary);
}

bool CDNResourceDataProcessor::Write(const char* data, std::uint32_t size) {
    if (!file_.Write(data, size))
        return false;
    written_ += size;
    if (written_ > highWater_) {
        std::int64_t growth = written_ - highWater_;
        highWater_ = written_;
        if (progressCallback_)
            progressCallback_(growth);
    }
    return true;
}

bool CDNResourceDataProcessor::Finish() {
    if (!file_.IsOpen())
        return false;
    std::int64_t length = file_.WrittenSize();
    if (!file_.Close() || length == 0)
        return false;
    std::string target;
    if (!TargetPath(target))
        return false;
    std::string temporary = target + kTemporarySuffix;
    if (!GunzipFile(target, temporary))
        return false;
    platform::RemoveFile(temporary);
    return true;
}

bool CDNResourceDataProcessor::GetContent(std::string& out) {
    std::string target;
    if (file_.IsOpen() || !TargetPath(target) || !platform::FileExists(target))
        return true;
    return ReadRawFile(target, out);
}
