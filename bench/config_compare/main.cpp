// Times what the resource manager does when the CDN config arrives: decode and parse the config
// body, read and parse version.txt into the local map, split, compare (one existence test per
// local game resource) and total. Data come from a fixed seed; the game files exist on disk.
//
// Shape: 200,000 config lines (5% launcher files) against 200,000 manifest lines, of which
// 100,000 are unchanged, 90,000 carry another md5 and 10,000 are gone from the CDN, which adds
// 10,000 new names instead.

#include "resources/FileUtilities.h"
#include "resources/ManifestFormat.h"
#include "resources/ResourceComparison.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 200000;
constexpr int kUnchanged = 100000;
constexpr int kChanged = 90000;  // the rest of the local lines are not on the CDN
constexpr int kRuns = 5;

std::string Md5Like(std::mt19937_64& random) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text(32, '0');
    for (char& c : text)
        c = digits[random() & 15];
    return text;
}

std::string NameOf(int index) {
    char name[64];
    std::snprintf(name, sizeof(name), "d%03d\\f%06d.dat", index % 1000, index);
    return name;
}

struct Data {
    std::string configBody;
    std::string manifestText;
    std::vector<std::string> localNames;
};

Data Generate() {
    std::mt19937_64 random(20261209);
    Data data;
    std::vector<std::string> configLines;
    // Local indices 0..kLines-1; the CDN drops the last 10,000 and adds 10,000 beyond them.
    const int removed = kLines - kUnchanged - kChanged;
    for (int i = 0; i < kLines; ++i) {
        std::string name = NameOf(i);
        std::string md5 = Md5Like(random);
        data.manifestText += name + "=" + md5 + "\r\n";
        data.localNames.push_back(name);
        if (i >= kUnchanged + kChanged)
            continue;
        std::string cdnMd5 = i < kUnchanged ? md5 : Md5Like(random);
        std::uint64_t offset = random() % 100000000;
        unsigned length = static_cast<unsigned>(random() % 65536);
        char fields[96];
        std::snprintf(fields, sizeof(fields), "=p%03d=%" PRIu64 "=%u", static_cast<int>(random() % 500), offset,
                      length);
        configLines.push_back(name + "=" + cdnMd5 + fields + (i % 20 == 0 ? "=launcher" : "=game"));
    }
    for (int i = kLines; i < kLines + removed; ++i)
        configLines.push_back(NameOf(i) + "=" + Md5Like(random) + "=p001=0=100=game");
    std::shuffle(configLines.begin(), configLines.end(), random);
    for (const std::string& line : configLines)
        data.configBody += line + "\r\n";
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    std::string work = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "tolm-bench-config").string();
    std::filesystem::remove_all(work);
    const std::string root = work + "/";
    const std::string gameFolder = root + "game/";

    Data data = Generate();
    WriteTextFile(root + kVersionFileName, data.manifestText);
    for (const std::string& name : data.localNames) {
        std::string path = name;
        std::replace(path.begin(), path.end(), '\\', '/');
        path = gameFolder + path;
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fclose(file);
        } else {
            CreateFolderChain(path.substr(0, path.rfind('/')));
            if (std::FILE* retry = std::fopen(path.c_str(), "wb"))
                std::fclose(retry);
        }
    }

    std::vector<double> seconds, parseSeconds, mapSeconds;
    ResourceUpdatePlan plan;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        ResoureConfigList cdnList;
        ParseConfigBody(data.configBody, cdnList);
        std::string manifest;
        ReadTextFile(root + kVersionFileName, manifest);
        ResoureConfigList localList;
        ParseResourceConfigText(manifest, localList);
        auto parsed = std::chrono::steady_clock::now();
        ResoureConfigMap localResources, localLauncher;
        for (const ResoureConfigInfo& record : localList)
            InsertRecordFirstWins(localResources, record, "LocalResourceInfo插入失败\t");
        auto mapped = std::chrono::steady_clock::now();
        PlanResourceUpdate(cdnList, localLauncher, localResources, gameFolder, plan);
        auto end = std::chrono::steady_clock::now();
        seconds.push_back(std::chrono::duration<double>(end - start).count());
        parseSeconds.push_back(std::chrono::duration<double>(parsed - start).count());
        mapSeconds.push_back(std::chrono::duration<double>(mapped - parsed).count());
    }
    std::sort(parseSeconds.begin(), parseSeconds.end());
    std::sort(mapSeconds.begin(), mapSeconds.end());
    std::printf("phases (medians): parse both %.3f s, local map %.3f s\n", parseSeconds[kRuns / 2],
                mapSeconds[kRuns / 2]);
    std::sort(seconds.begin(), seconds.end());

    std::printf("config %d lines (%zu bytes), manifest %d lines (%zu bytes)\n", kLines, data.configBody.size(), kLines,
                data.manifestText.size());
    std::printf("fetch: %zu launcher + %zu resources, removals: %zu resources, total %" PRIu64 " bytes\n",
                plan.launcherFetchList.size(), plan.resourceFetchList.size(), plan.resourceRemovalList.size(),
                plan.downloadTotal);
    std::printf("parse + compare: median %.3f s of %d runs (min %.3f, max %.3f)\n", seconds[kRuns / 2], kRuns,
                seconds.front(), seconds.back());
    std::filesystem::remove_all(work);
    return 0;
}
