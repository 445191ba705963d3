#pragma once

#include "download/DownloadDataProcessor.h"

#include <cstddef>
#include <limits>

// Keeps the body of the latest attempt in memory. Every attempt that receives a body starts with
// Begin, which empties the text, so bytes of a cut-off attempt never mix with a later one.
class DownloadTextProcessor : public DownloadDataProcessor {
public:
    using DownloadDataProcessor::DownloadDataProcessor;

    // The longest body the owner accepts: a Write that would pass it is refused, so the attempt
    // fails (-4) instead of a hostile answer growing without bound. Set before the transfer.
    void SetSizeLimit(std::size_t bytes) { limit_ = bytes; }

    bool Begin(std::uint32_t contentLength) override;
    bool Finish() override;
    bool Write(const char* data, std::uint32_t size) override;
    // The body without a leading UTF-8 byte-order mark; the held text stays as it is.
    bool GetContent(std::string& out) override;

private:
    std::string text_;
    std::size_t limit_ = std::numeric_limits<std::size_t>::max();
};
