// tolm-pack: publishes one version of the game (and the launcher's own files) for the CDN.
#include "PackageBuilder.h"
#include "ToolArguments.h"

#include "base/SafePath.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: tolm-pack --game DIR [--launcher DIR] --out CDN_DIR --version NAME [--base OLD_CONFIG]\n"
    "                 [--url-prefix URL] [--level 1-9]\n"
    "\n"
    "Packs the files of DIR (and of the launcher folder) into CDN_DIR/NAME/kx_game.kxpkg, one gzip\n"
    "stream per file, and writes the resource config CDN_DIR/config/NAME.txt and the update-address\n"
    "answer CDN_DIR/config/NAME.notice.json. With --base, files whose MD5 is unchanged keep their\n"
    "line of OLD_CONFIG and only new or changed files go into the new package.\n"
    "--url-prefix is the address CDN_DIR is served at (default http://127.0.0.1:8000/cdn/).\n";

}  // namespace

int main(int argc, char** argv) {
    ToolArguments args({"--game", "--launcher", "--out", "--version", "--base", "--url-prefix", "--level"}, {});
    std::string error;
    if (!args.Parse(argc, argv, error)) {
        std::fprintf(stderr, "tolm-pack: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    // "--version NAME" names the version to publish; alone it asks for the tool's own version.
    bool toolVersion = args.Has("--version") && args.Value("--version").empty();
    if ((args.Has("--help") || toolVersion) && args.AnswerHelpOrVersion("tolm-pack", kUsage))
        return 0;
    PackageOptions options;
    options.gameFolder = args.Value("--game");
    options.launcherFolder = args.Value("--launcher");
    options.outFolder = args.Value("--out");
    options.version = args.Value("--version");
    options.baseConfig = args.Value("--base");
    options.urlPrefix = args.Value("--url-prefix", options.urlPrefix);
    options.level = std::atoi(args.Value("--level", "6").c_str());
    if (options.gameFolder.empty() || options.outFolder.empty() || options.version.empty()) {
        std::fprintf(stderr, "tolm-pack: --game, --out and --version are required\n%s", kUsage);
        return 2;
    }
    if (!IsSafeResourceName(options.version) || options.version.find_first_of("\\/= ") != std::string::npos) {
        std::fprintf(stderr, "tolm-pack: the version name must be one plain folder name\n");
        return 2;
    }
    if (options.level < 1 || options.level > 9) {
        std::fprintf(stderr, "tolm-pack: --level takes 1 to 9\n");
        return 2;
    }
    if (!options.urlPrefix.empty() && options.urlPrefix.back() != '/')
        options.urlPrefix.push_back('/');
    PackageSummary summary;
    if (!PackageBuilder(options).Build(summary, error)) {
        std::fprintf(stderr, "tolm-pack: %s\n", error.c_str());
        return 1;
    }
    std::printf("tolm-pack: %d files, %d packed (%" PRIu64 " bytes), config %s\n", summary.files, summary.packed,
                summary.packageBytes, summary.configPath.c_str());
    return 0;
}
