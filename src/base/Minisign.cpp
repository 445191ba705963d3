#include "base/Minisign.h"

#include "base/Base64.h"

#include <sodium.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char kUntrustedPrefix[] = "untrusted comment: ";
constexpr const char kTrustedPrefix[] = "trusted comment: ";
// minisign reads comment lines into buffers of these sizes; longer ones it cannot verify.
constexpr std::size_t kUntrustedCommentMax = 1024;
constexpr std::size_t kTrustedCommentMax = 8000;

constexpr std::size_t kPublicKeyBytes = 2 + 8 + 32;
constexpr std::size_t kSecretKeyBytes = 2 + 2 + 2 + 32 + 8 + 8 + 8 + 64 + 32;
constexpr std::size_t kSignatureBytes = 2 + 8 + 64;

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The lines of a file: each ends with LF (a CR before it is dropped); the last may lack its LF.
// False for an empty file, an empty last line after a final LF (a blank line), or a CR or NUL
// anywhere else.
bool SplitLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find('\r') != std::string::npos || line.find('\0') != std::string::npos)
            return false;
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return !lines.empty();
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

template <std::size_t N>
void CopyBytes(const std::string& from, std::size_t offset, std::array<std::uint8_t, N>& to) {
    std::memcpy(to.data(), from.data() + offset, N);
}

bool DecodeExact(const std::string& line, std::size_t size, std::string& bytes) {
    return Base64Decode(line, bytes) && bytes.size() == size;
}

bool CheckUntrustedComment(const std::string& line, std::string& error) {
    if (!StartsWith(line, kUntrustedPrefix)) {
        error = "the first line is not an untrusted comment";
        return false;
    }
    if (line.size() > kUntrustedCommentMax) {
        error = "the untrusted comment is too long";
        return false;
    }
    return true;
}

std::string EncodeBytes(const std::uint8_t* data, std::size_t size) {
    return Base64EncodeBytes(std::string(reinterpret_cast<const char*>(data), size));
}

}  // namespace

std::string MinisignKeyIdText(const MinisignKeyId& id) {
    char text[17];
    for (std::size_t i = 0; i < id.size(); ++i)
        std::snprintf(text + 2 * i, 3, "%02X", id[id.size() - 1 - i]);
    return std::string(text, 16);
}

bool ParseMinisignPublicKey(const std::string& text, MinisignPublicKey& key, std::string& error) {
    std::vector<std::string> lines;
    if (!SplitLines(text, lines)) {
        error = "not a text of lines";
        return false;
    }
    std::size_t keyLine = 0;
    if (StartsWith(lines[0], kUntrustedPrefix)) {
        if (!CheckUntrustedComment(lines[0], error))
            return false;
        keyLine = 1;
    }
    if (lines.size() != keyLine + 1) {
        error = "a public key is one line of Base64, after an optional untrusted comment";
        return false;
    }
    std::string bytes;
    if (!DecodeExact(lines[keyLine], kPublicKeyBytes, bytes)) {
        error = "the key line is not the Base64 of 42 bytes";
        return false;
    }
    if (bytes.compare(0, 2, "Ed") != 0) {
        error = "the key is not an Ed25519 key (algorithm id is not \"Ed\")";
        return false;
    }
    CopyBytes(bytes, 2, key.keyId);
    CopyBytes(bytes, 10, key.key);
    return true;
}

bool ParseMinisignSecretKey(const std::string& text, MinisignSecretKey& key, bool& encrypted, std::string& error) {
    encrypted = false;
    std::vector<std::string> lines;
    if (!SplitLines(text, lines) || lines.size() != 2) {
        error = "a secret key file is two lines: an untrusted comment and the key";
        return false;
    }
    if (!CheckUntrustedComment(lines[0], error))
        return false;
    std::string bytes;
    if (!DecodeExact(lines[1], kSecretKeyBytes, bytes)) {
        error = "the key line is not the Base64 of 158 bytes";
        return false;
    }
    if (bytes.compare(0, 2, "Ed") != 0 || bytes.compare(4, 2, "B2") != 0) {
        error = "not an Ed25519 secret key with a BLAKE2b checksum";
        return false;
    }
    if (bytes.compare(2, 2, "Sc") == 0) {
        encrypted = true;
        error = "the key is protected by a password";
        return false;
    }
    if (bytes.compare(2, 2, std::string(2, '\0')) != 0) {
        error = "unknown key derivation id";
        return false;
    }
    const std::size_t keynum = 2 + 2 + 2 + 32 + 8 + 8;
    if (!SodiumReady()) {
        error = "libsodium could not be initialised";
        return false;
    }
    // minisign 0.11 leaves the checksum of an unprotected key zero; any other value must match.
    std::string checksum = bytes.substr(keynum + 8 + 64, 32);
    if (checksum != std::string(32, '\0')) {
        std::string covered = bytes.substr(0, 2) + bytes.substr(keynum, 8 + 64);
        unsigned char expected[32];
        crypto_generichash(expected, sizeof expected, reinterpret_cast<const unsigned char*>(covered.data()),
                           covered.size(), nullptr, 0);
        if (std::memcmp(expected, checksum.data(), sizeof expected) != 0) {
            error = "the key's checksum does not match (damaged key)";
            return false;
        }
    }
    MinisignSecretKey parsed;
    CopyBytes(bytes, keynum, parsed.keyId);
    CopyBytes(bytes, keynum + 8, parsed.key);
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secretKey, parsed.key.data());
    bool consistent = std::memcmp(secretKey, parsed.key.data(), sizeof secretKey) == 0;
    sodium_memzero(secretKey, sizeof secretKey);
    if (!consistent) {
        error = "the key's public half does not belong to its seed (damaged key)";
        return false;
    }
    key = parsed;
    return true;
}

bool ParseMinisignSignature(const std::string& text, MinisignSignature& signature, std::string& error) {
    std::vector<std::string> lines;
    if (!SplitLines(text, lines) || lines.size() != 4) {
        error = "a signature file is four lines";
        return false;
    }
    if (!CheckUntrustedComment(lines[0], error))
        return false;
    std::string bytes;
    if (!DecodeExact(lines[1], kSignatureBytes, bytes)) {
        error = "the signature line is not the Base64 of 74 bytes";
        return false;
    }
    MinisignSignature parsed;
    if (bytes.compare(0, 2, "ED") == 0) {
        parsed.prehashed = true;
    } else if (bytes.compare(0, 2, "Ed") == 0) {
        parsed.prehashed = false;
    } else {
        error = "unknown signature algorithm id";
        return false;
    }
    CopyBytes(bytes, 2, parsed.keyId);
    CopyBytes(bytes, 10, parsed.signature);
    if (!StartsWith(lines[2], kTrustedPrefix)) {
        error = "the third line is not a trusted comment";
        return false;
    }
    parsed.trustedComment = lines[2].substr(std::strlen(kTrustedPrefix));
    if (parsed.trustedComment.size() > kTrustedCommentMax) {
        error = "the trusted comment is too long";
        return false;
    }
    if (!DecodeExact(lines[3], 64, bytes)) {
        error = "the global signature line is not the Base64 of 64 bytes";
        return false;
    }
    CopyBytes(bytes, 0, parsed.globalSignature);
    signature = std::move(parsed);
    return true;
}

MinisignVerdict MinisignVerify(const MinisignPublicKey& key,
                               const MinisignSignature& signature,
                               const std::string& message) {
    if (signature.keyId != key.keyId)
        return kMinisignOtherKey;
    if (!SodiumReady())
        return kMinisignBadSignature;
    const auto* data = reinterpret_cast<const unsigned char*>(message.data());
    std::size_t size = message.size();
    unsigned char hash[crypto_generichash_BYTES_MAX];
    if (signature.prehashed) {
        crypto_generichash(hash, sizeof hash, data, size, nullptr, 0);
        data = hash;
        size = sizeof hash;
    }
    if (crypto_sign_verify_detached(signature.signature.data(), data, size, key.key.data()) != 0)
        return kMinisignBadSignature;
    std::string global(reinterpret_cast<const char*>(signature.signature.data()), signature.signature.size());
    global += signature.trustedComment;
    if (crypto_sign_verify_detached(signature.globalSignature.data(),
                                    reinterpret_cast<const unsigned char*>(global.data()), global.size(),
                                    key.key.data()) != 0)
        return kMinisignBadGlobalSignature;
    return kMinisignValid;
}

bool MinisignSign(const MinisignSecretKey& key,
                  const std::string& message,
                  const std::string& trustedComment,
                  std::string& fileText) {
    if (trustedComment.size() > kTrustedCommentMax ||
        trustedComment.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    if (!SodiumReady())
        return false;
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                       nullptr, 0);
    std::array<std::uint8_t, 2 + 8 + 64> line{'E', 'D'};
    std::copy(key.keyId.begin(), key.keyId.end(), line.begin() + 2);
    crypto_sign_detached(line.data() + 10, nullptr, hash, sizeof hash, key.key.data());
    std::string global(reinterpret_cast<const char*>(line.data() + 10), 64);
    global += trustedComment;
    unsigned char globalSignature[64];
    crypto_sign_detached(globalSignature, nullptr, reinterpret_cast<const unsigned char*>(global.data()), global.size(),
                         key.key.data());
    fileText = std::string(kUntrustedPrefix) + "signature from tolm-pack, key " + MinisignKeyIdText(key.keyId) + "\n" +
               EncodeBytes(line.data(), line.size()) + "\n" + kTrustedPrefix + trustedComment + "\n" +
               EncodeBytes(globalSignature, sizeof globalSignature) + "\n";
    return true;
}
