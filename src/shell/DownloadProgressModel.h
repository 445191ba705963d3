#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the player reads about a running download, kept apart from any window so the launcher
// window and the headless updater present it the same way: the bar (one sweep over the whole
// download), the three-sweep ratio and stage key that pick the loading tip, the six-second speed
// average and the status line. One thread only.
class DownloadProgressModel {
public:
    struct TipEntry {
        std::string text;
        int stageKey;
        float lower;
        float upper;
    };

    DownloadProgressModel();

    // A new download: stage 0, ratio 0, counters and speed samples cleared.
    void Reset();
    // Bytes written so far and the run's total: the bar's share, and the three sweeps for the tips.
    void OnProgress(std::int64_t done, std::int64_t total);
    // The 1 s tick: records the last second and refreshes the tip. False while nothing should be
    // shown (not downloading, or no tip applies yet); the texts are unchanged then.
    bool OnStatusTick(bool isDownloading);

    // The three-sweep ratio that picks the tip.
    float progressRatio() const { return progressRatio_; }
    // Stage changes outside a download set the bar directly (0 at a stage's start, 1 at its end).
    void SetProgressRatio(float ratio);
    // The share the bar shows: bytes done of the total during a download, clamped to 0..1.
    float barProgress() const;
    int stageKey() const { return stageKey_; }
    std::int64_t doneBytes() const { return doneBytes_; }
    std::int64_t totalBytes() const { return totalBytes_; }
    const std::string& sizesText() const { return sizesText_; }
    const std::string& statusLine() const { return statusLine_; }
    // The current tip's text, or empty.
    std::string tipText() const;
    // Average bytes per second of the last six seconds.
    std::uint64_t averageSpeed() const;

    void ChooseTip(int key, float ratio);

private:
    std::vector<TipEntry> tips_;
    int currentTip_ = -1;
    float progressRatio_ = 0;
    float barRatio_ = 0;
    int stageKey_ = 0;
    std::int64_t doneBytes_ = 0;
    std::int64_t totalBytes_ = 0;
    std::int64_t lastSampleBytes_ = 0;
    std::array<std::int64_t, 6> speedSamples_{};
    int sampleIndex_ = 0;
    std::string sizesText_;
    std::string statusLine_;
};
