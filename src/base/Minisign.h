#pragma once

#include <array>
#include <cstdint>
#include <string>

// minisign's key and signature files over libsodium (Ed25519, BLAKE2b), so publishers sign with
// the `minisign` command or with tolm-pack and either side verifies the other's files.
//
// A signature file holds four lines: an untrusted comment, the signature ("ED": over the
// BLAKE2b-512 hash of the message; "Ed", the legacy form: over the message itself) with the
// signer's 8-byte key id, the trusted comment, and the global signature over signature plus
// trusted comment. The parsers are strict: exact prefixes, exact decoded sizes, canonical
// Base64, known algorithm ids, LF or CR LF line ends and nothing after the last line. A parsed
// trusted comment means nothing until MinisignVerify returned kMinisignValid.

using MinisignKeyId = std::array<std::uint8_t, 8>;

struct MinisignPublicKey {
    MinisignKeyId keyId{};
    std::array<std::uint8_t, 32> key{};
};

struct MinisignSecretKey {
    MinisignKeyId keyId{};
    std::array<std::uint8_t, 64> key{};  // seed, then public key (libsodium's layout)
};

struct MinisignSignature {
    bool prehashed = true;
    MinisignKeyId keyId{};
    std::array<std::uint8_t, 64> signature{};
    std::string trustedComment;  // without its "trusted comment: " prefix
    std::array<std::uint8_t, 64> globalSignature{};
};

enum MinisignVerdict : int {
    kMinisignValid = 0,
    kMinisignOtherKey = 1,            // made by the key with another id
    kMinisignBadSignature = 2,        // the message is not what was signed
    kMinisignBadGlobalSignature = 3,  // the trusted comment is not what was signed
};

// The key id as minisign prints it: 16 upper-case hex digits of a little-endian number.
std::string MinisignKeyIdText(const MinisignKeyId& id);

// A public key: its Base64 line alone ("RW...", as `-P` takes it), or a .pub file (an untrusted
// comment line, then that line). False with the reason in `error` otherwise.
bool ParseMinisignPublicKey(const std::string& text, MinisignPublicKey& key, std::string& error);

// A secret key file as `minisign -G -W` writes it. A password-protected key is refused with
// `encrypted` set; a key whose checksum or whose public half does not match is refused too.
bool ParseMinisignSecretKey(const std::string& text, MinisignSecretKey& key, bool& encrypted, std::string& error);

bool ParseMinisignSignature(const std::string& text, MinisignSignature& signature, std::string& error);

// Checks, in this order: the key id, the signature over `message` (or its prehash), the global
// signature over signature plus trusted comment.
MinisignVerdict MinisignVerify(const MinisignPublicKey& key,
                               const MinisignSignature& signature,
                               const std::string& message);

// The text of a prehashed ("ED") signature file of `message`. False when `trustedComment` holds
// a line break or a NUL, or is longer than minisign reads.
bool MinisignSign(const MinisignSecretKey& key,
                  const std::string& message,
                  const std::string& trustedComment,
                  std::string& fileText);
