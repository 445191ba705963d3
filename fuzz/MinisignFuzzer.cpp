// The parsers of minisign public keys, secret keys and signature files, which read what a CDN
// (signatures) or an operator (keys) hands over. Properties: whatever the input, a refusal says
// why; an accepted signature's trusted comment is one line that minisign could read, it verifies
// against no key of another id, and its serial reading stays consistent; an accepted public key
// line is the one canonical encoding of what was parsed.
#include "FuzzCheck.h"

#include "base/Base64.h"
#include "base/Minisign.h"
#include "resources/ConfigTrust.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    MinisignSignature signature;
    std::string error;
    if (ParseMinisignSignature(text, signature, error)) {
        FUZZ_CHECK(error.empty());
        FUZZ_CHECK(signature.trustedComment.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
        FUZZ_CHECK(signature.trustedComment.size() <= 8000);
        MinisignPublicKey stranger;
        stranger.keyId = signature.keyId;
        stranger.keyId[0] ^= 1;
        FUZZ_CHECK(MinisignVerify(stranger, signature, text) == kMinisignOtherKey);
        std::uint64_t serial = 0;
        if (ConfigTrust::ParseSerial(signature.trustedComment, serial)) {
            FUZZ_CHECK(signature.trustedComment.size() > 7);
            FUZZ_CHECK(signature.trustedComment.find_first_not_of("0123456789", 7) == std::string::npos);
        }
    } else {
        FUZZ_CHECK(!error.empty());
    }

    MinisignPublicKey key;
    error.clear();
    if (ParseMinisignPublicKey(text, key, error)) {
        std::string raw =
            "Ed" + std::string(key.keyId.begin(), key.keyId.end()) + std::string(key.key.begin(), key.key.end());
        FUZZ_CHECK(text.find(Base64EncodeBytes(raw)) != std::string::npos);
    } else {
        FUZZ_CHECK(!error.empty());
    }

    MinisignSecretKey secret;
    bool encrypted = false;
    error.clear();
    if (ParseMinisignSecretKey(text, secret, encrypted, error)) {
        FUZZ_CHECK(!encrypted && error.empty());
        // An accepted secret key signs what its own public half verifies.
        MinisignPublicKey own;
        own.keyId = secret.keyId;
        std::copy(secret.key.begin() + 32, secret.key.end(), own.key.begin());
        std::string file;
        MinisignSignature made;
        FUZZ_CHECK(MinisignSign(secret, text, "serial=1", file));
        FUZZ_CHECK(ParseMinisignSignature(file, made, error));
        FUZZ_CHECK(MinisignVerify(own, made, text) == kMinisignValid);
    } else {
        FUZZ_CHECK(!error.empty());
    }
    return 0;
}
