// bench-generate S1|S2|tiny DIR: writes a seeded data set of game files into DIR.
//   S1: 40 files, 400 MiB, half incompressible, half text-like.
//   S2: 20,000 files of 4-64 KiB in 200 folders, half incompressible.
//   tiny: a few MB in subfolders with a Chinese name (for demos and quick runs).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Fill(std::mt19937_64& random, std::vector<char>& data, bool compressible) {
    if (!compressible) {
        for (std::size_t i = 0; i + 8 <= data.size(); i += 8) {
            std::uint64_t v = random();
            for (int k = 0; k < 8; ++k)
                data[i + static_cast<std::size_t>(k)] = static_cast<char>(v >> (8 * k));
        }
        return;
    }
    static const char* words[] = {"ship ",  "hull ",    "turret ",    "armor=12 ",  "speed:31kn ",
                                  "radar ", "torpedo ", "destroyer ", "cruiser ",   "\n",
                                  "fleet ", "harbor ",  "0.125 ",     "{\"id\":7} "};
    std::size_t i = 0;
    while (i < data.size()) {
        const char* word = words[random() % (sizeof(words) / sizeof(words[0]))];
        for (const char* p = word; *p && i < data.size(); ++p)
            data[i++] = *p;
    }
}

void WriteFile(const fs::path& path, const std::vector<char>& data) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-generate S1|S2|tiny DIR\n");
        return 2;
    }
    std::string set = argv[1];
    fs::path root = argv[2];
    std::mt19937_64 random(20261209);
    std::vector<char> data;
    if (set == "S1") {
        for (int i = 0; i < 40; ++i) {
            data.assign(10 << 20, 0);
            Fill(random, data, i % 2 == 0);
            WriteFile(root / ("maps/sea" + std::to_string(i) + ".pak"), data);
        }
    } else if (set == "S2") {
        for (int i = 0; i < 20000; ++i) {
            data.assign(4096 + random() % (60 * 1024 + 1), 0);
            Fill(random, data, i % 2 == 0);
            WriteFile(root / ("assets/d" + std::to_string(i / 100)) / ("f" + std::to_string(i) + ".bin"), data);
        }
    } else if (set == "tiny") {
        const char* names[] = {"data/ships/cruiser.mdl", "data/ships/destroyer.mdl", "data/sea/pacific.map",
                               "config/settings.ini",    "data/音乐/主题曲.ogg",     "readme.txt"};
        int i = 0;
        for (const char* name : names) {
            data.assign(256 * 1024 + 97 * 1024 * static_cast<std::size_t>(i), 0);
            Fill(random, data, i++ % 2 == 0);
            WriteFile(root / name, data);
        }
        WriteFile(root / "data/empty.flag", {});
    } else {
        std::fprintf(stderr, "unknown data set %s\n", set.c_str());
        return 2;
    }
    return 0;
}
