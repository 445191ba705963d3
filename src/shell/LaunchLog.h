#pragma once

#include <string>

// The launch log in the per-user folder: the lines written when the launcher hands over to the
// game. Each line is "[%Y-%m-%d %H:%M:%S] " + payload + CR LF; every append opens and closes the
// file, and every failure is silent. Written from the user-interface thread only.

inline constexpr const char* kLaunchLogName = "QRVOLog.txt";
inline constexpr int kLaunchLogMarker = 1126;
inline constexpr const char* kOpenGameLogText = "CMainForegroundDialog::OpenGame";

std::string GetLogFilePath();
// The local time formatted "[%Y-%m-%d %H:%M:%S] " (always ending with one space).
std::string LogTimestamp();
void AppendLaunchLog(int number);
// `payload` is already in the system code page.
void AppendLaunchLog(const std::string& payload);
