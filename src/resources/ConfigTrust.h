#pragma once

#include "base/Minisign.h"
#include "download/DownloadTimings.h"

#include <cstdint>
#include <string>
#include <vector>

// Whether a fetched CDN config may be used. With no trusted key, every config may (as ever).
// With one or more, a config is used only when the signature file beside it
// (<config address>.minisig) verifies over its exact bytes with a trusted key, global signature
// included, and its trusted comment "serial=N" is not lower than the highest serial this game
// root accepted before (kept in config_serial.txt under the root). Since every fetched file must
// match its MD5 from the config, one signature covers the whole version; a lower serial is an
// old, signed version replayed (a rollback).
//
// Keys are added before the update check starts; the checks run on the download worker that
// fetched the config.
class ConfigTrust {
public:
    static constexpr const char* kSerialFileName = "config_serial.txt";
    static constexpr const char* kSignatureSuffix = ".minisig";

    // Trusts the keys built in (CMake TOLM_TRUSTED_KEYS). A built-in key that does not parse
    // matches no signature, so such a build fails closed instead of taking unsigned configs.
    ConfigTrust();

    // Adds a key; keys are only ever added, so nothing can switch the check off once one is trusted.
    void AddKey(const MinisignPublicKey& key);
    bool Required() const { return required_; }

    // Checks `config` against the signature file text, then the serial against the one recorded
    // in `serialPath`, and records a higher serial there (atomically) before saying yes. False
    // with the check that failed in `reason`; the serial file is then left as it was.
    bool Accept(const std::string& config,
                const std::string& signatureText,
                const std::string& serialPath,
                std::string& reason) const;

    // Fetches <configAddress>.minisig (a few attempts with the engine's waits) and decides with
    // Accept, recording the serial below `root` (with its separator). Blocks the calling thread.
    bool FetchAndAccept(const std::string& configAddress,
                        const std::string& config,
                        const std::string& root,
                        const DownloadTimings& timings,
                        std::string& reason) const;

    // The N of a trusted comment that is exactly "serial=N" (decimal, fits 64 bits).
    static bool ParseSerial(const std::string& trustedComment, std::uint64_t& serial);

private:
    std::vector<MinisignPublicKey> keys_;
    bool required_ = false;
};
