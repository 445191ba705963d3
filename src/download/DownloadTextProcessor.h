#pragma once

#include "download/DownloadDataProcessor.h"

// Keeps the body of the latest attempt in memory. Every attempt that receives a body starts with
// Begin, which empties the text, so bytes of a cut-off attempt never mix with a later one.
class DownloadTextProcessor : public DownloadDataProcessor {
public:
    using DownloadDataProcessor::DownloadDataProcessor;

    bool Begin(std::uint32_t contentLength) override;
    bool Finish() override;
    bool Write(const char* data, std::uint32_t size) override;
    // The body without a leading UTF-8 byte-order mark; the held text stays as it is.
    bool GetContent(std::string& out) override;

private:
    std::string text_;
};
