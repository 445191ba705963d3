#include "shell/DownloadProgressModel.h"

#include "shell/ProgressText.h"
#include "shell/StageTexts.h"

DownloadProgressModel::DownloadProgressModel() {
    tips_ = {
        {"美女指挥官正在为您调配游戏资源...", 0, 0.0f, 0.8f},
        {"正在加载精致战舰模型", 0, 0.8f, 1.0f},
        {"正在加载精致战舰模型", 1, 0.0f, 1.0f},
        {"正在加载世界各大海域资源", 2, 0.0f, 1.0f},
    };
}

void DownloadProgressModel::Reset() {
    progressRatio_ = 0;
    barRatio_ = 0;
    stageKey_ = 0;
    doneBytes_ = totalBytes_ = lastSampleBytes_ = 0;
    speedSamples_.fill(0);
    sizesText_.clear();
}

void DownloadProgressModel::OnProgress(std::int64_t done, std::int64_t total) {
    const float share = static_cast<float>(static_cast<double>(done) / static_cast<double>(total));
    // The bar fills once over the whole download; the three sweeps only pick the tips.
    barRatio_ = share;
    float r = share * 2.0f;
    progressRatio_ = r;
    doneBytes_ = done;
    totalBytes_ = total;
    if (r > 1.0f) {
        if (stageKey_ == 0)
            stageKey_ = 1;
        r = (r - 1.0f) * 1.3f;
        progressRatio_ = r;
    }
    if (r > 1.0f) {
        if (stageKey_ == 1)
            stageKey_ = 2;
        r = (r - 1.0f) / (1.3f - 1.0f);
        progressRatio_ = r;
    }
    sizesText_ = FormatByteSize(done) + "/" + FormatByteSize(total);
}

void DownloadProgressModel::SetProgressRatio(float ratio) {
    progressRatio_ = ratio;
    barRatio_ = ratio;
}

float DownloadProgressModel::barProgress() const {
    if (!(barRatio_ > 0.0f))
        return 0.0f;
    return barRatio_ > 1.0f ? 1.0f : barRatio_;
}

void DownloadProgressModel::ChooseTip(int key, float ratio) {
    auto applies = [&](const TipEntry& tip) { return tip.stageKey == key && tip.lower <= ratio && ratio < tip.upper; };
    if (currentTip_ >= 0 && applies(tips_[static_cast<std::size_t>(currentTip_)]))
        return;
    for (std::size_t i = 0; i < tips_.size(); ++i) {
        if (applies(tips_[i])) {
            currentTip_ = static_cast<int>(i);
            return;
        }
    }
}

std::string DownloadProgressModel::tipText() const {
    return currentTip_ < 0 ? std::string() : tips_[static_cast<std::size_t>(currentTip_)].text;
}

std::uint64_t DownloadProgressModel::averageSpeed() const {
    std::uint64_t sum = 0;
    for (std::int64_t sample : speedSamples_)
        sum += static_cast<std::uint64_t>(sample);
    return sum / 6;
}

bool DownloadProgressModel::OnStatusTick(bool isDownloading) {
    ChooseTip(stageKey_, progressRatio_);
    if (!isDownloading || currentTip_ < 0)
        return false;
    speedSamples_[static_cast<std::size_t>(sampleIndex_)] = doneBytes_ - lastSampleBytes_;
    sampleIndex_ = (sampleIndex_ + 1) % 6;
    std::uint64_t average = averageSpeed();
    if (average != 0 && totalBytes_ > 0) {
        std::int64_t remaining = totalBytes_ - doneBytes_;
        lastSampleBytes_ = doneBytes_;
        auto seconds =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(remaining) / average));
        statusLine_ = "速度:" + FormatByteSize(average) + "/秒 预计:" + FormatDuration(seconds) + " " +
                      FormatSizesLine(doneBytes_, totalBytes_);
    } else {
        // Nothing arrived in the last six seconds: say what is known instead of claiming the
        // update has finished.
        statusLine_ = sizesText_.empty() ? std::string(kConnectingText) : FormatSizesLine(doneBytes_, totalBytes_);
    }
    return true;
}
