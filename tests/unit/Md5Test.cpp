#include "base/Md5.h"
#include "platform/FileSystem.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

namespace {

std::string DigestHex(const std::string& input, std::size_t pieceSize) {
    Md5Context context;
    for (std::size_t i = 0; i < input.size(); i += pieceSize)
        Md5Update(context, input.data() + i, std::min(pieceSize, input.size() - i));
    std::uint8_t digest[16];
    Md5Final(context, digest);
    return ToHexUpper(std::string(reinterpret_cast<char*>(digest), 16));
}

// OpenSSL's digest of the same bytes: an independent implementation to check against.
std::string ReferenceHex(const std::string& input) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(input.data(), input.size(), digest, &size, EVP_md5(), nullptr);
    return ToHexUpper(std::string(reinterpret_cast<char*>(digest), size));
}

struct Vector {
    std::string input;
    const char* hex;
};

const Vector kVectors[] = {
    // The test suite of RFC 1321.
    {"", "D41D8CD98F00B204E9800998ECF8427E"},
    {"a", "0CC175B9C0F1B6A831C399E269772661"},
    {"abc", "900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57EDF4A22BE3C955AC49DA2E2107B67A"},
    // Around the 56-byte padding boundary and whole blocks.
    {std::string(55, 'a'), "EF1772B6DFF9A122358552954AD0DF65"},
    {std::string(56, 'a'), "3B0C8AC703F828B04C6C197006D17218"},
    {std::string(57, 'a'), "652B906D60AF96844EBD21B674F35E93"},
    {std::string(63, 'a'), "B06521F39153D618550606BE297466D5"},
    {std::string(64, 'a'), "014842D480B571495A4A0363793F7367"},
    {std::string(65, 'a'), "C743A45E0D2E6A95CB859ADAE0248435"},
    {std::string(119, 'a'), "8A7BD0732ED6A28CE75F6DABC90E1613"},
    {std::string(120, 'a'), "5F61C0CCAD4CAC44C75FF505E1F1E537"},
    // Many whole blocks in one call.
    {std::string(1000000, 'a'), "7707D6AE4E027C70EEA2A935C2296F21"},
};

TEST(Md5Test, KnownDigestsWhetherFedWholeOrInPieces) {
    for (const Vector& v : kVectors) {
        for (std::size_t piece : {std::size_t{1000}, std::size_t{1}, std::size_t{7}, std::size_t{63}, std::size_t{64}})
            EXPECT_EQ(DigestHex(v.input, piece), v.hex) << "length " << v.input.size() << " piece " << piece;
    }
}

TEST(Md5Test, AgreesWithOpenSslOnEveryLengthAcrossSeveralBlocks) {
    std::string input;
    for (std::size_t length = 0; length < 700; ++length) {
        EXPECT_EQ(DigestHex(input, 97), ReferenceHex(input)) << "length " << length;
        input.push_back(static_cast<char>(length * 37 + 11));
    }
}

TEST(Md5Test, FinalClearsTheContext) {
    Md5Context context;
    Md5Update(context, "abc", 3);
    std::uint8_t digest[16];
    Md5Final(context, digest);
    for (std::uint32_t word : context.state)
        EXPECT_EQ(word, 0u);
    EXPECT_EQ(context.count[0], 0u);
    EXPECT_EQ(context.count[1], 0u);
}

TEST(Md5Test, HexOfTextIsUpperCase) {
    EXPECT_EQ(Md5HexOfText("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(ToHexUpper(std::string("\x00\x0f\xa0\xff", 4)), "000FA0FF");
}

TEST(Md5Test, TagsAreExactly32HexDigitsOfEitherCase) {
    EXPECT_TRUE(IsMd5Tag("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_TRUE(IsMd5Tag("900150983CD24FB0D6963F7D28E17F72"));
    for (const char* tag : {"", "900150983cd24fb0d6963f7d28e17f7", "900150983cd24fb0d6963f7d28e17f722",
                            "900150983cd24fb0d6963f7d28e17f7g", "900150983cd24fb0d6963f7d28e17f7 ", "default_md5"})
        EXPECT_FALSE(IsMd5Tag(tag)) << tag;
}

TEST(Md5Test, FileDigestInStepsSmallerAndLargerThanTheFile) {
    testsupport::TempFolder folder;
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 131 + (i >> 9));
    ASSERT_TRUE(platform::WriteWholeFile(folder.path() + "f", content));
    for (std::size_t step : {std::size_t{1}, std::size_t{4096}, std::size_t{1} << 20}) {
        std::vector<char> buffer(step);
        std::atomic<std::int64_t> hashed{5};
        std::string hex;
        ASSERT_TRUE(Md5HexOfFile(folder.path() + "f", buffer, hex, &hashed)) << step;
        EXPECT_EQ(hex, ReferenceHex(content)) << step;
        EXPECT_EQ(hashed.load(), 5 + static_cast<std::int64_t>(content.size())) << step;
    }
    std::vector<char> buffer(64);
    std::string hex = "unchanged";
    EXPECT_FALSE(Md5HexOfFile(folder.path() + "missing", buffer, hex));
    EXPECT_EQ(hex, "unchanged");
}

}  // namespace
