#include "controller/ProgressStatePoster.h"

#include "controller/ProgressStateEvent.h"

#include <QCoreApplication>

ProgressStatePoster::ProgressStatePoster(QObject* receiver) : receiver_(receiver) {}

void ProgressStatePoster::Post(int state, std::unique_ptr<ResourceManagerProgressInfoBase> record) {
    std::lock_guard<std::mutex> guard(lock_);
    // Held while posting, so Detach cannot return while an event is on its way to the receiver
    // (the receiver's destructor then drops it with the other pending events).
    if (receiver_)
        QCoreApplication::postEvent(receiver_, new ProgressStateEvent(state, std::move(record)));
}

void ProgressStatePoster::Detach() {
    std::lock_guard<std::mutex> guard(lock_);
    receiver_ = nullptr;
}
