#pragma once

#include <cstdint>
#include <string>

// What the player reads at each step of an update check, shared by the launcher window and the
// headless updater.

inline constexpr const char* kInitialisingText = "游戏初始化中...";
inline constexpr const char* kWaitingForGameText = "等待游戏结束...";
inline constexpr const char* kRequestingAddressText = "获取游戏更新地址...";
inline constexpr const char* kLauncherUpdatedNoticeText = "Launcher更新完成,准备重启Launcher!";
inline constexpr const char* kRestartFailedText = "重启Launcher失败，参数错误";
// Shown by the launcher the entrance program starts when the restarted launcher could not start.
inline constexpr const char* kRestartedLauncherFailedFormat = "重启Launcher失败，错误代码:%d";
inline constexpr const char* kRestartSucceededText = "重启Launcher成功";
inline constexpr const char* kStartFailedFormat = "启动失败，错误代码:%d";
inline constexpr const char* kRetryButtonText = "重试";
inline constexpr const char* kQuitButtonText = "退出";
// The status line of a download before its first bytes arrive.
inline constexpr const char* kConnectingText = "正在连接下载服务器...";
inline constexpr const char* kFileCheckText = "正在校验游戏文件...";

// The status line while a repair hashes: files and MiB checked of all, and the speed since the
// check began `seconds` ago.
std::string FileCheckStatusText(int checked, int count, std::int64_t hashed, std::int64_t total, double seconds);
// What a repair found once the files are hashed: how many were checked, how many must be fetched.
std::string FileCheckSummaryText(int checked, int damaged);
// What a repair did, once its downloads ended well.
std::string RepairSummaryText(int checked, int repaired);

// The stage text while the update-address request runs: kRequestingAddressText, and from the
// second attempt on the attempt's number, e.g. "获取游戏更新地址...(2/5)".
std::string RequestingAddressText(int attempt, int maxAttempts);

// The question shown for a notice result other than success (2, 3, 4; empty for others).
const char* NoticeFailureText(int result);
