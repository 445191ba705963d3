#pragma once

#include <chrono>

// The engine's waits. The defaults are the product's; tests shorten them.
struct DownloadTimings {
    // Pause of a worker before its first take of work; a take that follows a served segment
    // happens at once.
    std::chrono::milliseconds poll{100};
    // Pause between two attempts of one transfer.
    std::chrono::milliseconds retryPause{5000};
    // An attempt fails when no byte has moved for this long (connect, send and receive alike).
    std::chrono::milliseconds receiveIdle{30000};
};
