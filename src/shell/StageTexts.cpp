#include "shell/StageTexts.h"

const char* StageTextForState(int state) {
    switch (state) {
        case 1:
            return "开始校验本地资源...";
        case 2:
            return "校验本地资源完成...";
        case 5:
            return "开始比对服务器资源...";
        case 6:
            return "比对服务器资源完成...";
        case 8:
            return "比对服务器资源失败!";
        case 9:
            return "美女指挥官正在为您调配游戏资源...";
        case 10:
            return "加载服务器资源失败!";
        case 11:
            return "加载Launcher资源中,请耐心等待...";
        case 12:
            return "加载Launcher资源失败!";
        case 16:
            return "Launcher更新完成,正在重启Launcher...";
        case 17:
            return "资源更新完成,准备启动游戏.";
        default:
            return nullptr;
    }
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

std::string FileCheckSummaryText(int checked, int damaged) {
    if (damaged == 0)
        return "校验完成,共" + std::to_string(checked) + "个文件,均完好";
    return "校验完成,共" + std::to_string(checked) + "个文件," + std::to_string(damaged) + "个需要修复";
}

std::string RepairSummaryText(int checked, int repaired) {
    return "修复完成,已校验" + std::to_string(checked) + "个文件,修复" + std::to_string(repaired) + "个";
}
