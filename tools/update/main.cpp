// tolm-update: the update check without windows, for dedicated servers, CI and operators.
#include "HeadlessUpdate.h"
#include "ToolArguments.h"

#include "base/FileUtilities.h"
#include "base/Minisign.h"
#include "notice/UpdateServers.h"
#include "platform/DebugOutput.h"
#include "platform/Process.h"
#include "resources/CResourceManager.h"
#include "shell/InstallLocations.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: tolm-update [--root DIR] [--cdn CONFIG_URL | --notice-url URL] [--verify] [--retry-pause MS]\n"
    "                   [--trusted-key PUBLIC_KEY_FILE]... [--trace]\n"
    "\n"
    "Brings the game below DIR (default: the launcher's game root) up to date: asks the\n"
    "update-address service (--notice-url, else $TOLM_NOTICE_URL, else the built-in address) where\n"
    "the CDN is, or uses the resource config at CONFIG_URL directly, fetches the launcher's own\n"
    "files first and then every changed game file. --verify first hashes every installed file the\n"
    "config lists and fetches again the ones that are missing or differ (a repair). Progress goes\n"
    "to standard error; --trace also writes the debug trace to standard output. --retry-pause\n"
    "sets the pause between two attempts of a request (default 5000 ms).\n"
    "\n"
    "--trusted-key trusts a publisher's minisign public key (.pub file) besides those built in. With\n"
    "any key trusted, the config is used only when CONFIG_URL.minisig is that key's signature of it\n"
    "and its serial is not lower than the last one accepted for DIR.\n"
    "\n"
    "Exit status: 0 all game resources are current; 10 launcher files fetched and the journal is\n"
    "complete (run the entrance program to restart); 2 the update-address request failed; 3 the\n"
    "CDN config failed or was refused; 4 a download failed; 5 not enough disk space.\n";

}  // namespace

int main(int argc, char** argv) {
    platform::SetCommandLine(argc, argv);
    ToolArguments args({"--root", "--cdn", "--notice-url", "--retry-pause", "--trusted-key"}, {"--trace", "--verify"});
    std::string error;
    if (!args.Parse(argc, argv, error) || !args.Positional().empty()) {
        std::fprintf(stderr, "tolm-update: %s\n%s", error.empty() ? "unexpected argument" : error.c_str(), kUsage);
        return 64;
    }
    if (args.AnswerHelpOrVersion("tolm-update", kUsage))
        return 0;
    if (args.Has("--cdn") && args.Has("--notice-url")) {
        std::fprintf(stderr, "tolm-update: --cdn and --notice-url exclude each other\n");
        return 64;
    }
    // The debug trace goes to standard output only when asked for.
    platform::SetDebugOutputEnabled(args.Has("--trace"));
    HeadlessUpdateOptions options;
    options.root = args.Value("--root");
    if (options.root.empty())
        options.root = GetGameRoot();
    else
        options.root = WithTrailingSeparator(options.root);
    options.configUrl = args.Value("--cdn");
    options.checkFiles = args.Has("--verify");
    options.noticeUrl = args.Value("--notice-url", NoticeServiceUrl());
    if (args.Has("--retry-pause")) {
        char* end = nullptr;
        std::string text = args.Value("--retry-pause");
        long pause = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || pause < 0 || pause > 600000) {
            std::fprintf(stderr, "tolm-update: --retry-pause takes 0 to 600000 milliseconds\n");
            return 64;
        }
        options.timings.retryPause = std::chrono::milliseconds(pause);
    }
    for (const std::string& file : args.Values("--trusted-key")) {
        std::string text, keyError;
        MinisignPublicKey key;
        if (!ReadRawFile(file, text) || !ParseMinisignPublicKey(text, key, keyError)) {
            std::fprintf(stderr, "tolm-update: %s is not a minisign public key%s%s\n", file.c_str(),
                         keyError.empty() ? "" : ": ", keyError.c_str());
            return 64;
        }
        CResourceManager::GetInstance().AddTrustedKey(key);
    }
    int status = HeadlessUpdate(options, stderr).Run();
    // Worker threads may still be winding down; nothing of theirs is needed any more.
    platform::TerminateCurrentProcess(status);
}
