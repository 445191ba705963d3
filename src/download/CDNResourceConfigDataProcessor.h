#pragma once

#include "download/DownloadTextProcessor.h"

// The text processor of the CDN resource config: the same behaviour under a type of its own.
class CDNResourceConfigDataProcessor : public DownloadTextProcessor {
public:
    using DownloadTextProcessor::DownloadTextProcessor;
};
