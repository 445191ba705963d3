#include "InProcessUpdate.h"

#include "resources/CCDNResourceDownloader.h"
#include "resources/CResourceManager.h"

#include <gtest/gtest.h>

namespace faults {

DownloadTimings ShortTimings(std::chrono::milliseconds receiveIdle) {
    DownloadTimings timings;
    timings.poll = std::chrono::milliseconds(1);
    timings.retryPause = std::chrono::milliseconds(5);
    timings.receiveIdle = receiveIdle;
    return timings;
}

InProcessUpdate::InProcessUpdate(DownloadTimings timings) {
    CCDNResourceDownloader::GetInstance().SetTimings(timings);
    CResourceManager::GetInstance().SetProgressCallback(events_.Callback());
}

InProcessUpdate::~InProcessUpdate() {
    ProgressEventQueue::DetachFrom(CResourceManager::GetInstance());
}

std::vector<int> InProcessUpdate::Run(const std::string& root, const std::string& configUrl) {
    states_.clear();
    CResourceManager& manager = CResourceManager::GetInstance();
    manager.Init(root, root, configUrl);
    ProgressEventQueue::Event event;
    while (events_.Pop(event, std::chrono::seconds(120))) {
        if (event.state == DownloadProgress)
            continue;
        states_.push_back(event.state);
        switch (event.state) {
            case DownloadSizeNotice:
                manager.ContinueAfterDiskCheck();
                break;
            case CdnCheckFailed:
            case ResourceDownloadFailed:
            case LauncherDownloadFailed:
            case LauncherUpdateDone:
            case ResourceUpdateDone:
                return states_;
            default:
                break;
        }
    }
    ADD_FAILURE() << "the update check never ended";
    states_.clear();
    return states_;
}

}  // namespace faults
