#pragma once

#include "resources/CResourceManager.h"
#include "resources/ResourceManagerProgressInfo.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

// Carries the resource manager's reports from the worker threads to one consuming thread, the
// way the launcher window receives them as posted events: each report's info record is copied
// with Clone, and the consumer owns what it pops. Used by the headless updater and by tests that
// drive the manager as the window does.
class ProgressEventQueue {
public:
    struct Event {
        ResourceManagerProgressState state;
        std::unique_ptr<ResourceManagerProgressInfoBase> info;  // null when the report had none
    };

    // The callback to hand to CResourceManager::SetProgressCallback. The queue must outlive every
    // report made through it: before it goes, detach it with DetachFrom.
    CResourceManager::ProgressCallback Callback();
    // Removes the manager's callback and waits until the CDN downloader's workers have ended, so
    // no report is still on its way into this queue.
    static void DetachFrom(CResourceManager& manager);

    void Push(ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info);
    // The next event; false when none arrived within `timeout`.
    bool Pop(Event& event, std::chrono::milliseconds timeout);

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<Event> events_;
};
