#pragma once

#include <cstdint>

// Gives every object a process-wide unique number: the first object made gets 1.
class CCustomInstanceID {
public:
    CCustomInstanceID();
    virtual ~CCustomInstanceID() = default;
    CCustomInstanceID(const CCustomInstanceID&) = delete;
    CCustomInstanceID& operator=(const CCustomInstanceID&) = delete;

    std::int32_t instanceId() const { return instanceId_; }

private:
    std::int32_t instanceId_;
};
