#include "resources/ProgressEventQueue.h"

#include "download/DownloaderTaskDispatcher.h"

CResourceManager::ProgressCallback ProgressEventQueue::Callback() {
    return
        [this](ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info) { Push(state, info); };
}

void ProgressEventQueue::DetachFrom(CResourceManager& manager) {
    manager.SetProgressCallback(nullptr);
    if (DownloaderTaskDispatcher* dispatcher = CCDNResourceDownloader::GetInstance().GetDispatcher())
        dispatcher->WaitUntilIdle();
}

void ProgressEventQueue::Push(ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info) {
    Event event{state, info ? info->Clone() : nullptr};
    // Notified under the lock: once the consumer has popped the last event, no reporter still
    // touches the queue.
    std::lock_guard<std::mutex> guard(lock_);
    events_.push_back(std::move(event));
    arrived_.notify_one();
}

bool ProgressEventQueue::Pop(Event& event, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!arrived_.wait_for(guard, timeout, [this] { return !events_.empty(); }))
        return false;
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}
