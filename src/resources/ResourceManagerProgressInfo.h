#pragma once

#include <cstdint>
#include <memory>
#include <string>

// What the resource manager reports to the update controller. The value travels with every
// report; the window message of the controller carries it as its first parameter.
enum ResourceManagerProgressState : int {
    LocalCheckBegin = 1,
    LocalCheckEnd = 2,
    LauncherManifestBegin = 3,
    LauncherManifestEnd = 4,
    CdnCheckBegin = 5,
    CdnCheckEnd = 6,
    DownloadSizeNotice = 7,  // RequestDownloadTotalSizeNoticeInfo
    CdnCheckFailed = 8,
    ResourceDownloadBegin = 9,
    ResourceDownloadFailed = 10,
    LauncherDownloadBegin = 11,
    LauncherDownloadFailed = 12,
    DownloadProgress = 15,  // ResourceManagerUpdateProgressInfo
    LauncherUpdateDone = 16,
    ResourceUpdateDone = 17,
    NoticeResultArrived = 18,  // sent by the controller itself: LauncherNoticeUpgradeInfo
    // A repair run hashes the installed files before the comparison.
    FileCheckBegin = 19,
    FileCheckProgress = 20,  // FileCheckProgressInfo, about ten times a second
    FileCheckEnd = 21,       // FileCheckProgressInfo with the final counts
    // Sent by the controller itself: the update-address request begins an attempt.
    NoticeAttemptBegin = 22,  // NoticeAttemptInfo
};

// Info records: the reporter passes one for the duration of the call only; a receiver that keeps
// it takes a copy with Clone.
struct ResourceManagerProgressInfoBase {
    virtual ~ResourceManagerProgressInfoBase() = default;
    virtual std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const = 0;
};

struct ResourceManagerUpdateProgressInfo : ResourceManagerProgressInfoBase {
    ResourceManagerUpdateProgressInfo(std::int64_t done, std::int64_t total) : downloaded(done), totalBytes(total) {}
    std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const override {
        return std::make_unique<ResourceManagerUpdateProgressInfo>(*this);
    }
    std::int64_t downloaded;
    std::int64_t totalBytes;
};

struct FileCheckProgressInfo : ResourceManagerProgressInfoBase {
    FileCheckProgressInfo(std::int64_t hashed, std::int64_t total, int checked, int count, int damagedFiles)
        : bytesHashed(hashed), totalBytes(total), filesChecked(checked), fileCount(count), damaged(damagedFiles) {}
    std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const override {
        return std::make_unique<FileCheckProgressInfo>(*this);
    }
    std::int64_t bytesHashed;
    std::int64_t totalBytes;
    int filesChecked;
    int fileCount;
    int damaged;  // found so far: missing or with another digest; each is fetched again
};

struct RequestDownloadTotalSizeNoticeInfo : ResourceManagerProgressInfoBase {
    explicit RequestDownloadTotalSizeNoticeInfo(std::int64_t total) : totalBytes(total) {}
    std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const override {
        return std::make_unique<RequestDownloadTotalSizeNoticeInfo>(*this);
    }
    std::int64_t totalBytes;  // launcher and game files together
};

struct NoticeAttemptInfo : ResourceManagerProgressInfoBase {
    NoticeAttemptInfo(int number, int most) : attempt(number), maxAttempts(most) {}
    std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const override {
        return std::make_unique<NoticeAttemptInfo>(*this);
    }
    int attempt;  // from 1
    int maxAttempts;
};

struct LauncherNoticeUpgradeInfo : ResourceManagerProgressInfoBase {
    LauncherNoticeUpgradeInfo(std::string address, int noticeResult) : text(std::move(address)), result(noticeResult) {}
    std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const override {
        return std::make_unique<LauncherNoticeUpgradeInfo>(*this);
    }
    std::string text;  // the CDN address the update-address service returned
    int result;        // RequestNoticeResult
};
