#pragma once

#include "resources/ResourceManagerProgressInfo.h"

#include <QEvent>

#include <memory>

// WM_PROGRESS_STATE: one progress report on its way from a worker thread to the controller
// window, always posted, never sent. The event owns its record: Qt deletes a posted event after
// delivery, or with its receiver, so every record is freed exactly once, whatever the state.
class ProgressStateEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 100);

    // `state` is a ResourceManagerProgressState (18 for the notice answer); `record` may be null.
    ProgressStateEvent(int state, std::unique_ptr<ResourceManagerProgressInfoBase> record);
    ~ProgressStateEvent() override;

    int State() const { return state_; }
    const ResourceManagerProgressInfoBase* Record() const { return record_.get(); }

private:
    int state_;
    std::unique_ptr<ResourceManagerProgressInfoBase> record_;
};
