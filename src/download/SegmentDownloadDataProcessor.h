#pragma once

#include "download/DownloadDataProcessor.h"
#include "download/SegmentDownloadTaskInfo.h"

#include <cstdint>
#include <vector>

// Cuts the body of one segment request into the pieces of its tasks. Each borrowed processor
// takes the bytes of its task's range relative to the segment's offset; a whole-body segment
// (negative offset) gives every processor every byte. Bytes that fall in no processor's range
// fail the Write, so a response longer than the segment, or a gap left by a task without a
// processor, fails the attempt instead of being lost silently.
class SegmentDownloadDataProcessor : public DownloadDataProcessor {
public:
    // `processors` are not owned; one per task that got a processor, in task order.
    SegmentDownloadDataProcessor(SegmentDownloadTaskInfo segment, std::vector<DownloadDataProcessor*> processors);

    // Calls every processor's Begin, also after a refusal; true only when all accepted.
    bool Begin(std::uint32_t contentLength) override;
    // Calls every processor's Finish, also after a refusal; true only when all succeeded.
    bool Finish() override;
    bool Write(const char* data, std::uint32_t size) override;
    // Holds no content of its own: true, `out` unchanged.
    bool GetContent(std::string& out) override;

private:
    // The processor whose relative range holds `position_`, or null.
    DownloadDataProcessor* Find();
    std::int64_t RangeStart(const DownloadDataProcessor& processor) const;

    DownloadDataProcessor* current_ = nullptr;
    SegmentDownloadTaskInfo segment_;
    std::vector<DownloadDataProcessor*> processors_;
    std::int64_t position_ = 0;
};
