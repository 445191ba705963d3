#include "resources/ConfigTrust.h"

#include "support/TestFolders.h"
#include "support/TestKeys.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace testsupport::keys;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

const std::string kConfig = "readme.txt=0cc175b9c0f1b6a831c399e269772661=v1=0=21=game\r\n";

std::string SignWith(const std::string& secretFile, const std::string& message, const std::string& comment) {
    MinisignSecretKey secret;
    bool encrypted = false;
    std::string error, text;
    EXPECT_TRUE(ParseMinisignSecretKey(secretFile, secret, encrypted, error)) << error;
    EXPECT_TRUE(MinisignSign(secret, message, comment, text));
    return text;
}

std::string Sign(const std::string& message, const std::string& comment) {
    return SignWith(kSecretKeyFile, message, comment);
}

class ConfigTrustTest : public ::testing::Test {
protected:
    void SetUp() override {
        MinisignPublicKey key;
        std::string error;
        ASSERT_TRUE(ParseMinisignPublicKey(kPublicKeyFile, key, error)) << error;
        // The test build has no key built in.
        EXPECT_FALSE(trust.Required());
        trust.AddKey(key);
        EXPECT_TRUE(trust.Required());
    }

    ConfigTrust trust;
    testsupport::TempFolder work;
    const std::string serialPath = work.path() + "root/" + ConfigTrust::kSerialFileName;
};

TEST_F(ConfigTrustTest, RefusesAndSaysWhichCheckFailedLeavingTheSerialAlone) {
    struct Case {
        const char* label;
        std::string config;
        std::string signature;
        std::string recorded;  // the serial file before; "" when there is none
        const char* reasonPart;
    };
    std::string retold = Sign(kConfig, "serial=200");
    retold.replace(retold.find("serial=200"), 10, "serial=900");
    const Case cases[] = {
        {"no signature", kConfig, "", "", "malformed"},
        {"an error page for a signature", kConfig, "<html>404</html>", "100\n", "malformed"},
        {"another publisher's key", kConfig, SignWith(kOtherSecretKeyFile, kConfig, "serial=200"), "100\n",
         "key 1D2D7B0E7B4D6944, which is not trusted"},
        {"a tampered config", kConfig + "evil=0cc175b9c0f1b6a831c399e269772661=v1=0=21=game\r\n",
         Sign(kConfig, "serial=200"), "100\n", "does not match"},
        {"a retold serial", kConfig, retold, "100\n", "global signature"},
        {"no serial in the comment", kConfig, Sign(kConfig, "timestamp:1700000000\tfile:v1.txt"), "", "serial=N"},
        {"a lower serial", kConfig, Sign(kConfig, "serial=99"), "100\n", "lower than serial 100"},
        {"a damaged serial file", kConfig, Sign(kConfig, "serial=200"), "1x0\n", "unreadable"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(work.path() + "root");
        if (!c.recorded.empty())
            WriteFileBytes(serialPath, c.recorded);
        std::string reason;
        EXPECT_FALSE(trust.Accept(c.config, c.signature, serialPath, reason)) << c.label;
        EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << c.label << ": " << reason;
        if (c.recorded.empty()) {
            EXPECT_FALSE(PathExists(serialPath)) << c.label;
        } else {
            EXPECT_EQ(ReadFileBytes(serialPath), c.recorded) << c.label;
        }
    }
}

TEST_F(ConfigTrustTest, AcceptsTheSameOrAHigherSerialAndRecordsTheHighest) {
    std::string reason;
    // The first accepted config records its serial; minisign's legacy form counts the same.
    EXPECT_TRUE(trust.Accept(kMessage, kLegacySignature, serialPath, reason)) << reason;
    EXPECT_EQ(ReadFileBytes(serialPath), "6\n");
    EXPECT_TRUE(trust.Accept(kConfig, Sign(kConfig, "serial=6"), serialPath, reason)) << reason;
    EXPECT_EQ(ReadFileBytes(serialPath), "6\n");
    EXPECT_TRUE(trust.Accept(kConfig, Sign(kConfig, "serial=1700000000"), serialPath, reason)) << reason;
    EXPECT_EQ(ReadFileBytes(serialPath), "1700000000\n");
    EXPECT_FALSE(trust.Accept(kMessage, kPrehashedSignature, serialPath, reason));
    // A config published with a byte-order mark reaches the check without it.
    EXPECT_TRUE(trust.Accept(kConfig, Sign("\xEF\xBB\xBF" + kConfig, "serial=1700000001"), serialPath, reason))
        << reason;
}

TEST(ConfigTrustSerialTest, OnlyExactlySerialEqualsADecimalNumber) {
    const std::pair<const char*, bool> cases[] = {
        {"serial=0", true},
        {"serial=18446744073709551615", true},
        {"serial=18446744073709551616", false},
        {"serial=", false},
        {"serial=-1", false},
        {"serial=+1", false},
        {"serial=1 ", false},
        {" serial=1", false},
        {"Serial=1", false},
        {"serial=1\tx", false},
        {"serial=0x10", false},
        {"timestamp:1", false},
    };
    for (const auto& [comment, accepted] : cases) {
        std::uint64_t serial = 77;
        EXPECT_EQ(ConfigTrust::ParseSerial(comment, serial), accepted) << comment;
        if (!accepted) {
            EXPECT_EQ(serial, 77u) << comment;
        }
    }
    std::uint64_t serial = 0;
    ASSERT_TRUE(ConfigTrust::ParseSerial("serial=1700000000", serial));
    EXPECT_EQ(serial, 1700000000u);
}

}  // namespace
