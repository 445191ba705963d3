// tolm-pack: publishes one version of the game (and the launcher's own files) for the CDN.
#include "PackageBuilder.h"
#include "ToolArguments.h"

#include "base/FileUtilities.h"
#include "base/Minisign.h"
#include "base/SafePath.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: tolm-pack --game DIR [--launcher DIR] --out CDN_DIR --version NAME [--base OLD_CONFIG]\n"
    "                 [--url-prefix URL] [--level 1-9] [--sign-key SECRET_KEY_FILE [--serial N]]\n"
    "\n"
    "Packs the files of DIR (and of the launcher folder) into CDN_DIR/NAME/kx_game.kxpkg, one gzip\n"
    "stream per file, and writes the resource config CDN_DIR/config/NAME.txt and the update-address\n"
    "answer CDN_DIR/config/NAME.notice.json. With --base, files whose MD5 is unchanged keep their\n"
    "line of OLD_CONFIG and only new or changed files go into the new package.\n"
    "--url-prefix is the address CDN_DIR is served at (default http://127.0.0.1:8000/cdn/).\n"
    "With --sign-key, the config is signed with that minisign secret key (minisign -G -W, no\n"
    "password) into CDN_DIR/config/NAME.txt.minisig, trusted comment \"serial=N\"; N defaults to\n"
    "the current Unix time and must grow from one published version to the next.\n";

// The secret key in `path`, or a message saying why there is none.
bool LoadSecretKey(const std::string& path, MinisignSecretKey& key, std::string& error) {
    std::string text;
    if (!ReadRawFile(path, text)) {
        error = "cannot read the secret key " + path;
        return false;
    }
    bool encrypted = false;
    if (ParseMinisignSecretKey(text, key, encrypted, error))
        return true;
    if (encrypted)
        error = path + " is protected by a password, which tolm-pack does not ask for: sign the config with " +
                "`minisign -S -s " + path + " -t serial=N -m CONFIG`, or make a key without one (minisign -G -W)";
    else
        error = path + " is not a minisign secret key: " + error;
    return false;
}

// "serial=N" for --serial, by default the current Unix time.
bool SerialComment(const std::string& text, std::string& comment) {
    if (text.empty()) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        comment = "serial=" + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(now).count());
        return true;
    }
    if (text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    comment = "serial=" + text;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ToolArguments args(
        {"--game", "--launcher", "--out", "--version", "--base", "--url-prefix", "--level", "--sign-key", "--serial"},
        {});
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
    // The key and the serial are checked before anything is written.
    MinisignSecretKey key;
    std::string serialComment;
    bool sign = args.Has("--sign-key");
    if (args.Has("--serial") && !sign) {
        std::fprintf(stderr, "tolm-pack: --serial needs --sign-key\n");
        return 2;
    }
    if (sign && !SerialComment(args.Value("--serial"), serialComment)) {
        std::fprintf(stderr, "tolm-pack: --serial takes a decimal number of at most 19 digits\n");
        return 2;
    }
    if (sign && !LoadSecretKey(args.Value("--sign-key"), key, error)) {
        std::fprintf(stderr, "tolm-pack: %s\n", error.c_str());
        return 2;
    }
    if (!options.urlPrefix.empty() && options.urlPrefix.back() != '/')
        options.urlPrefix.push_back('/');
    PackageSummary summary;
    if (!PackageBuilder(options).Build(summary, error)) {
        std::fprintf(stderr, "tolm-pack: %s\n", error.c_str());
        return 1;
    }
    if (sign) {
        std::string config, signature;
        if (!ReadRawFile(summary.configPath, config) || !MinisignSign(key, config, serialComment, signature) ||
            !ReplaceFileContent(summary.configPath + ".minisig", signature)) {
            std::fprintf(stderr, "tolm-pack: cannot sign %s\n", summary.configPath.c_str());
            return 1;
        }
        std::printf("tolm-pack: signed with key %s, %s\n", MinisignKeyIdText(key.keyId).c_str(), serialComment.c_str());
    }
    std::printf("tolm-pack: %d files, %d packed (%" PRIu64 " bytes), config %s\n", summary.files, summary.packed,
                summary.packageBytes, summary.configPath.c_str());
    return 0;
}
