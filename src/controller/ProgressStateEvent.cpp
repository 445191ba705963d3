#include "controller/ProgressStateEvent.h"

ProgressStateEvent::ProgressStateEvent(int state, std::unique_ptr<ResourceManagerProgressInfoBase> record)
    : QEvent(kType), state_(state), record_(std::move(record)) {}

ProgressStateEvent::~ProgressStateEvent() = default;
