#include "shell/StageTexts.h"

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

std::string FileCheckSummaryText(int checked, int damaged) {
    if (damaged == 0)
        return "校验完成,共" + std::to_string(checked) + "个文件,均完好";
    return "校验完成,共" + std::to_string(checked) + "个文件," + std::to_string(damaged) + "个需要修复";
}

std::string RepairSummaryText(int checked, int repaired) {
    return "修复完成,已校验" + std::to_string(checked) + "个文件,修复" + std::to_string(repaired) + "个";
}
