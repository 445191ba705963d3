#include "shell/StageTexts.h"

#include <cstdio>

std::string RequestingAddressText(int attempt, int maxAttempts) {
    if (attempt < 2)
        return kRequestingAddressText;
    return std::string(kRequestingAddressText) + "(" + std::to_string(attempt) + "/" + std::to_string(maxAttempts) +
           ")";
}

const char* NoticeFailureText(int result) {
    switch (result) {
        case 2:
            return "无法完成游戏资源更新，未配置更新地址!";
        case 3:
            return "无法完成游戏资源更新，解析失败!";
        case 4:
            return "无法完成游戏资源更新，请求失败!";
        default:
            return "";
    }
}

std::string FileCheckStatusText(int checked, int count, std::int64_t hashed, std::int64_t total, double seconds) {
    constexpr double kMiB = 1024.0 * 1024.0;
    char line[160];
    std::snprintf(line, sizeof(line), "校验进度:%d/%d个文件 %.1f/%.1f MiB %.1f MiB/s", checked, count,
                  static_cast<double>(hashed) / kMiB, static_cast<double>(total) / kMiB,
                  seconds > 0 ? static_cast<double>(hashed) / kMiB / seconds : 0.0);
    return line;
}

std::string FileCheckSummaryText(int checked, int damaged) {
    if (damaged == 0)
        return "校验完成,共" + std::to_string(checked) + "个文件,均完好";
    return "校验完成,共" + std::to_string(checked) + "个文件," + std::to_string(damaged) + "个需要修复";
}

std::string RepairSummaryText(int checked, int repaired) {
    return "修复完成,已校验" + std::to_string(checked) + "个文件,修复" + std::to_string(repaired) + "个";
}
