#include "notice/UpdateServers.h"

#include "BuildConfig.h"

#include "platform/Environment.h"

std::string NoticeServiceUrl() {
    std::string overridden = platform::EnvironmentValue("TOLM_NOTICE_URL");
    if (!overridden.empty())
        return overridden;
    return build_config::kNoticeBaseUrl;
}

std::string FormatNoticeRequestBody(const std::string& packageName,
                                    const std::string& version,
                                    const std::string& deviceId,
                                    const std::string& language,
                                    const std::string& resourceType,
                                    long long unixSeconds) {
    return "{\"packagename\":\"" + packageName + "\",\"version\":\"" + version + "\",\"deviceID\":\"" + deviceId +
           "\",\"language\":\"" + language + "\",\"resdata\":[{\"type\":\"" + resourceType +
           "\",\"md5\":\"default_md5\"}],\"t\":\"" + std::to_string(unixSeconds) + "\"}";
}
