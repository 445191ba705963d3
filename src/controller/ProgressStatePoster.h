#pragma once

#include "resources/ResourceManagerProgressInfo.h"

#include <memory>
#include <mutex>

class QObject;

// The way from worker threads to the controller window. Callbacks handed to the notice request
// and the resource manager hold this object (shared), never the window, because they may fire
// after the window is gone: once the window has detached itself, reports are dropped with their
// records instead of being posted to a destroyed object.
class ProgressStatePoster {
public:
    explicit ProgressStatePoster(QObject* receiver);

    // Posts a ProgressStateEvent owning `record` to the receiver. Any thread.
    void Post(int state, std::unique_ptr<ResourceManagerProgressInfoBase> record);
    // Later posts are dropped. The receiver's thread, before the receiver is destroyed.
    void Detach();

private:
    std::mutex lock_;
    QObject* receiver_;
};
