#include "download/CCustomInstanceID.h"

#include <atomic>

namespace {

std::atomic<std::int32_t> instanceCounter{0};

}  // namespace

CCustomInstanceID::CCustomInstanceID() : instanceId_(++instanceCounter) {}
