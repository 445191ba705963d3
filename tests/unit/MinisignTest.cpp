#include "base/Base64.h"
#include "base/Minisign.h"

#include "support/TestKeys.h"

#include <gtest/gtest.h>

namespace {

using namespace testsupport::keys;

MinisignPublicKey PublicKey(const std::string& text) {
    MinisignPublicKey key;
    std::string error;
    EXPECT_TRUE(ParseMinisignPublicKey(text, key, error)) << error;
    return key;
}

MinisignSignature Signature(const std::string& text) {
    MinisignSignature signature;
    std::string error;
    EXPECT_TRUE(ParseMinisignSignature(text, signature, error)) << error;
    return signature;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(MinisignTest, VerifiesBothAlgorithmsOfTheMinisignCommand) {
    MinisignPublicKey key = PublicKey(kPublicKeyFile);
    EXPECT_EQ(MinisignKeyIdText(key.keyId), "CACEBB1C84D317D0");
    for (const std::string& text : {kPrehashedSignature, kLegacySignature}) {
        MinisignSignature signature = Signature(text);
        EXPECT_EQ(signature.prehashed, text == kPrehashedSignature);
        EXPECT_EQ(MinisignVerify(key, signature, kMessage), kMinisignValid);
        EXPECT_EQ(MinisignVerify(key, signature, "hello!\n"), kMinisignBadSignature);
        EXPECT_EQ(MinisignVerify(key, signature, ""), kMinisignBadSignature);
        EXPECT_EQ(MinisignVerify(PublicKey(kOtherPublicKey), signature, kMessage), kMinisignOtherKey);
        // The trusted comment is what the global signature protects.
        signature.trustedComment = "serial=9";
        EXPECT_EQ(MinisignVerify(key, signature, kMessage), kMinisignBadGlobalSignature);
    }
    // The same key id with other key bytes: the signature fails rather than passing on the id.
    MinisignPublicKey forged = PublicKey(kOtherPublicKey);
    forged.keyId = key.keyId;
    EXPECT_EQ(MinisignVerify(forged, Signature(kPrehashedSignature), kMessage), kMinisignBadSignature);
}

TEST(MinisignTest, SignsWhatTheParserAndVerifierAccept) {
    MinisignSecretKey secret;
    bool encrypted = true;
    std::string error;
    ASSERT_TRUE(ParseMinisignSecretKey(kSecretKeyFile, secret, encrypted, error)) << error;
    EXPECT_FALSE(encrypted);
    MinisignPublicKey key = PublicKey(kPublicKeyFile);
    EXPECT_EQ(secret.keyId, key.keyId);
    std::string text;
    ASSERT_TRUE(MinisignSign(secret, "config bytes\r\n", "serial=1700000000", text));
    MinisignSignature signature = Signature(text);
    EXPECT_TRUE(signature.prehashed);
    EXPECT_EQ(signature.trustedComment, "serial=1700000000");
    EXPECT_EQ(MinisignVerify(key, signature, "config bytes\r\n"), kMinisignValid);
    EXPECT_EQ(MinisignVerify(key, signature, "config bytes\n"), kMinisignBadSignature);
    // A comment that would become two lines cannot be signed.
    EXPECT_FALSE(MinisignSign(secret, "x", "serial=1\ntrusted comment: serial=9", text));
    EXPECT_FALSE(MinisignSign(secret, "x", std::string("serial=1\0", 9), text));
}

TEST(MinisignTest, ParsersRefuseMalformedInput) {
    const std::string& good = kPrehashedSignature;
    const std::string sigLine =
        "RUTQF9OEHLvOyjQYUfZxFBErzAeHmA8U72/p81WCklh/VUELPqSB68peCnKVSypMdEpVPojP2ipoxHxt5Eqb1ZJrGAPW8miIngE=";
    const std::string globalLine =
        "mePY1GyC98GNW9mD97MDjtdQIfz+CfH2QcbjRxW0Nb5HWsOuYdPla0NTdY7ZdHy+DkqpQ3uPMkffqdgeEYrjCg==";
    struct Case {
        const char* label;
        std::string text;
        bool accepted;
    };
    const Case signatures[] = {
        {"as written", good, true},
        {"CR LF line ends",
         Replace(Replace(Replace(Replace(good, "key\n", "key\r\n"), "E=\n", "E=\r\n"), "5\n", "5\r\n"), "==\n",
                 "==\r\n"),
         true},
        {"no final line end", good.substr(0, good.size() - 1), true},
        {"empty", "", false},
        {"a blank line after it", good + "\n", false},
        {"a fifth line", good + "x\n", false},
        {"three lines", good.substr(0, good.rfind("mePY")), false},
        {"untrusted prefix missing", Replace(good, "untrusted comment: ", "comment: "), false},
        {"trusted prefix missing", Replace(good, "trusted comment: serial", "serial"), false},
        {"unknown algorithm", Replace(good, "RUTQ", "RVTQ"), false},
        {"signature too short", Replace(good, sigLine, sigLine.substr(4)), false},
        {"signature not Base64", Replace(good, "RUTQF9", "RUTQF*"), false},
        {"stray bits in the padding", Replace(good, "iIngE=", "iIngF="), false},
        {"global signature too long", Replace(good, globalLine, globalLine.substr(0, 84) + "AAAA"), false},
        {"a CR inside a line", Replace(good, "serial=5", "serial=5\rx"), false},
        {"a NUL inside a line", Replace(good, "serial=5", std::string("serial=5\0", 9)), false},
        {"trusted comment too long", Replace(good, "serial=5", std::string(9000, 'x')), false},
    };
    for (const Case& c : signatures) {
        MinisignSignature signature;
        std::string error;
        EXPECT_EQ(ParseMinisignSignature(c.text, signature, error), c.accepted) << c.label;
        EXPECT_EQ(error.empty(), c.accepted) << c.label;
    }

    const std::string keyLine = "RWTQF9OEHLvOyplea0bwJUWCVEQP5SL05eYgmFNZA0/JC46KN6qhkTYn";
    const Case keys[] = {
        {".pub file", kPublicKeyFile, true},
        {"the line alone", keyLine, true},
        {"the line with its line end", keyLine + "\n", true},
        {"two keys", kPublicKeyFile + keyLine + "\n", false},
        {"comment only", "untrusted comment: x\n", false},
        {"not Ed25519", Replace(keyLine, "RWTQ", "RVTQ"), false},
        {"a byte short", keyLine.substr(0, 52) + "kTY=", false},
        {"spaces around it", " " + keyLine, false},
    };
    for (const Case& c : keys) {
        MinisignPublicKey key;
        std::string error;
        EXPECT_EQ(ParseMinisignPublicKey(c.text, key, error), c.accepted) << c.label;
    }

    // Secret keys: the protected form is told apart; a damaged seed is refused.
    std::string bytes;
    ASSERT_TRUE(Base64Decode(kSecretKeyFile.substr(kSecretKeyFile.find('\n') + 1, 212), bytes));
    auto encode = [](const std::string& raw) {
        return "untrusted comment: minisign encrypted secret key\n" + Base64EncodeBytes(raw) + "\n";
    };
    std::string protectedKey = bytes, damaged = bytes, badChecksum = bytes;
    protectedKey.replace(2, 2, "Sc");
    damaged[2 + 2 + 2 + 32 + 8 + 8 + 8 + 3] ^= 1;
    badChecksum[bytes.size() - 1] = 1;
    const std::pair<std::string, bool> secrets[] = {
        {encode(protectedKey), true}, {encode(damaged), false}, {encode(badChecksum), false}, {kPublicKeyFile, false}};
    for (const auto& [text, isProtected] : secrets) {
        MinisignSecretKey secret;
        bool encrypted = !isProtected;
        std::string error;
        EXPECT_FALSE(ParseMinisignSecretKey(text, secret, encrypted, error)) << text;
        EXPECT_EQ(encrypted, isProtected) << text;
        EXPECT_FALSE(error.empty());
    }
}

TEST(MinisignTest, Base64DecodeIsTheStrictInverse) {
    const char* canonical[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "//4A"};
    for (const char* text : canonical) {
        std::string bytes;
        ASSERT_TRUE(Base64Decode(text, bytes)) << text;
        EXPECT_EQ(Base64EncodeBytes(bytes), text);
    }
    const char* refused[] = {"Zg=", "Zh==", "Zm9=", "Zg==Zg==", "Z===", "====", "Zm9v\n", "Zm-v", "Zm 9"};
    for (const char* text : refused) {
        std::string bytes = "untouched";
        EXPECT_FALSE(Base64Decode(text, bytes)) << text;
        EXPECT_EQ(bytes, "untouched");
    }
}

}  // namespace
