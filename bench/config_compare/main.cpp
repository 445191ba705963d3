// Times what the resource manager does when the CDN config arrives: decode and parse the config
// body, read and parse version.txt into the local map, split, compare (one existence test per
// local game resource) and total. Data come from a fixed seed; the local game files exist on disk.
//
// Shape: 200,000 config lines against 200,000 manifest lines, of which 100,000 are unchanged,
// 90,000 carry another md5 and 10,000 are gone from the CDN, which lists 9,000 new game resources
// and 1,000 launcher files instead. version.txt is in name order, as the launcher writes it; the
// config is timed in name order (as tolm-pack writes it) and shuffled.

#include "base/FileUtilities.h"
#include "base/OrdinalLess.h"
#include "resources/ManifestFormat.h"
#include "resources/ResourceComparison.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
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

using Line = std::pair<std::string, std::string>;  // name, whole line

std::string Join(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines)
        text += line.second + "\r\n";
    return text;
}

void SortByName(std::vector<Line>& lines) {
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return OrdinalLess()(a.first, b.first); });
}

struct Data {
    std::string manifestText;
    std::string sortedConfig;
    std::string shuffledConfig;
    std::vector<std::string> localNames;
};

Data Generate() {
    std::mt19937_64 random(20261209);
    std::vector<Line> manifest, config;
    for (int i = 0; i < kLines; ++i) {
        std::string name = NameOf(i);
        std::string md5 = Md5Like(random);
        manifest.push_back({name, name + "=" + md5});
        if (i >= kUnchanged + kChanged)
            continue;
        std::string cdnMd5 = i < kUnchanged ? md5 : Md5Like(random);
        std::uint64_t offset = random() % 100000000;
        unsigned length = static_cast<unsigned>(random() % 65536);
        char fields[96];
        std::snprintf(fields, sizeof(fields), "=p%03d=%" PRIu64 "=%u=game", static_cast<int>(random() % 500), offset,
                      length);
        config.push_back({name, name + "=" + cdnMd5 + fields});
    }
    for (int i = kLines; i < kLines + (kLines - kUnchanged - kChanged); ++i) {
        bool launcher = i % 10 == 0;
        std::string name = launcher ? "bin\\l" + std::to_string(i) + ".so" : NameOf(i);
        config.push_back({name, name + "=" + Md5Like(random) + "=p001=0=100" + (launcher ? "=launcher" : "=game")});
    }
    Data data;
    SortByName(manifest);
    data.manifestText = Join(manifest);
    for (const Line& line : manifest)
        data.localNames.push_back(line.first);
    SortByName(config);
    data.sortedConfig = Join(config);
    std::shuffle(config.begin(), config.end(), random);
    data.shuffledConfig = Join(config);
    return data;
}

void CreateGameFiles(const std::string& gameFolder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::string path = name;
        std::replace(path.begin(), path.end(), '\\', '/');
        path = gameFolder + path;
        CreateFolderChain(path.substr(0, path.rfind('/')));
        if (std::FILE* file = std::fopen(path.c_str(), "wb"))
            std::fclose(file);
    }
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// One pass of the resource manager's work, from the config body to the plan.
Timing RunOnce(const std::string& configBody, const std::string& root, ResourceUpdatePlan& plan) {
    std::clock_t cpuStart = std::clock();
    auto start = std::chrono::steady_clock::now();
    ResoureConfigList cdnList;
    ParseConfigBody(configBody, cdnList);
    std::string manifest;
    ReadTextFile(root + kVersionFileName, manifest);
    ResoureConfigList localList;
    ParseResourceConfigText(manifest, localList);
    ResoureConfigMap localResources, localLauncher;
    for (ResoureConfigInfo& record : localList)
        InsertRecordFirstWins(localResources, std::move(record), "LocalResourceInfo插入失败\t");
    PlanResourceUpdate(std::move(cdnList), localLauncher, localResources, root + "game/", plan);
    Timing timing;
    timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return timing;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Measure(const char* label, const std::string& configBody, const std::string& root) {
    std::vector<double> wall, cpu;
    ResourceUpdatePlan last;
    for (int run = 0; run < kRuns; ++run) {
        ResourceUpdatePlan plan;  // as in a launcher run: one comparison into empty lists
        Timing timing = RunOnce(configBody, root, plan);
        wall.push_back(timing.wall);
        cpu.push_back(timing.cpu);
        last = std::move(plan);
    }
    std::printf("%-21s median %.3f s wall, %.3f s CPU, of %d runs (wall min %.3f, max %.3f)\n", label, Median(wall),
                Median(cpu), kRuns, *std::min_element(wall.begin(), wall.end()),
                *std::max_element(wall.begin(), wall.end()));
    std::printf("%-21s fetch %zu launcher + %zu resources, %zu removals, total %" PRIu64 " bytes\n", "",
                last.launcherFetchList.size(), last.resourceFetchList.size(), last.resourceRemovalList.size(),
                last.downloadTotal);
}

}  // namespace

int main(int argc, char** argv) {
    std::string work = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "tolm-bench-config").string();
    std::filesystem::remove_all(work);
    const std::string root = work + "/";

    Data data = Generate();
    WriteTextFile(root + kVersionFileName, data.manifestText);
    CreateGameFiles(root + "game/", data.localNames);
    std::printf("config %d lines (%zu bytes), version.txt %d lines (%zu bytes), %d game files on disk\n", kLines,
                data.sortedConfig.size(), kLines, data.manifestText.size(), kLines);

    Measure("config in name order:", data.sortedConfig, root);
    Measure("config shuffled:", data.shuffledConfig, root);
    std::filesystem::remove_all(work);
    return 0;
}
