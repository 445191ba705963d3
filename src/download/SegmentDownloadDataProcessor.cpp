#include "download/SegmentDownloadDataProcessor.h"

#include <algorithm>
#include <utility>

SegmentDownloadDataProcessor::SegmentDownloadDataProcessor(SegmentDownloadTaskInfo segment,
                                                           std::vector<DownloadDataProcessor*> processors)
    : DownloadDataProcessor(DownloadTaskInfo{}), segment_(std::move(segment)), processors_(std::move(processors)) {}

std::int64_t SegmentDownloadDataProcessor::RangeStart(const DownloadDataProcessor& processor) const {
    return processor.task().offset - segment_.offset;
}

bool SegmentDownloadDataProcessor::Begin(std::uint32_t contentLength) {
    position_ = 0;
    current_ = nullptr;
    bool ok = true;
    for (DownloadDataProcessor* processor : processors_)
        ok = processor->Begin(contentLength) && ok;
    return ok;
}

bool SegmentDownloadDataProcessor::Finish() {
    position_ = 0;
    current_ = nullptr;
    // Every processor ends its attempt, also after a refusal: one left half-way (a file still
    // open) would refuse the next attempt's Begin, so a cut connection could never be retried.
    bool ok = true;
    for (DownloadDataProcessor* processor : processors_)
        ok = processor->Finish() && ok;
    return ok;
}

DownloadDataProcessor* SegmentDownloadDataProcessor::Find() {
    auto holds = [this](const DownloadDataProcessor* processor) {
        std::int64_t start = RangeStart(*processor);
        return position_ >= start && position_ - start < static_cast<std::int64_t>(processor->task().length);
    };
    if (current_ && holds(current_))
        return current_;
    auto found = std::find_if(processors_.begin(), processors_.end(), holds);
    current_ = found == processors_.end() ? nullptr : *found;
    return current_;
}

bool SegmentDownloadDataProcessor::Write(const char* data, std::uint32_t size) {
    bool ok = true;
    if (segment_.offset < 0) {
        for (DownloadDataProcessor* processor : processors_)
            ok = processor->Write(data, size) && ok;
        return ok;
    }
    while (size > 0) {
        DownloadDataProcessor* processor = Find();
        if (!processor)
            return false;
        std::int64_t end = RangeStart(*processor) + processor->task().length;
        auto piece = static_cast<std::uint32_t>(std::min<std::int64_t>(size, end - position_));
        ok = processor->Write(data, piece) && ok;
        position_ += piece;
        data += piece;
        size -= piece;
    }
    return ok;
}

bool SegmentDownloadDataProcessor::GetContent(std::string&) {
    return true;
}
