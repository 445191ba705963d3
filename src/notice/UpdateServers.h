#pragma once

#include <string>

// What the launcher sends to the update-address service and the CDN.

inline constexpr const char* kPackageIdentifier = "com.pemto.qrvo.pc.tolm";
inline constexpr const char* kNoticeLanguage = "0";
inline constexpr const char* kNoticeResourceType = "pkg";
inline constexpr const char* kPackageFileName = "kx_game.kxpkg";
inline constexpr int kDownloadThreads = 3;

// The update-address service's base URL: $TOLM_NOTICE_URL when set (tests and local trials),
// else the address built in.
std::string NoticeServiceUrl();

// The notice request body (JSON, no spaces); "t" is a quoted decimal count of seconds.
std::string FormatNoticeRequestBody(const std::string& packageName,
                                    const std::string& version,
                                    const std::string& deviceId,
                                    const std::string& language,
                                    const std::string& resourceType,
                                    long long unixSeconds);
