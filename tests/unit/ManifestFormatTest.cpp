#include "resources/ManifestFormat.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using namespace std::string_literals;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

ResoureConfigInfo Record(const std::string& name,
                         const std::string& md5,
                         const std::string& packageDir = "",
                         std::int64_t offset = 0,
                         std::int32_t length = 0,
                         const std::string& category = "") {
    return ResoureConfigInfo{name, md5, packageDir, offset, length, category};
}

ResoureConfigList ParseAll(const std::string& text) {
    ResoureConfigList list;
    EXPECT_TRUE(ParseResourceConfigText(text, list));
    return list;
}

TEST(ManifestFormatTest, IntegersReadLikeTheWideTextConversions) {
    const std::int64_t max64 = std::numeric_limits<std::int64_t>::max();
    const std::int64_t min64 = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::string text;
        std::int64_t expected64;
        std::int32_t expected32;
    } cases[] = {
        {"0", 0, 0},
        {"1234", 1234, 1234},
        {" \t 42", 42, 42},
        {"+7", 7, 7},
        {"-12", -12, -12},
        {"12abc", 12, 12},
        {"1 2", 1, 1},
        {"abc", 0, 0},
        {"", 0, 0},
        {"-", 0, 0},
        {"+-3", 0, 0},
        {"- 3", 0, 0},
        {"0x1F", 0, 0},
        {"2147483647", 2147483647, 2147483647},
        {"2147483648", 2147483648LL, 2147483647},
        {"-2147483648", -2147483648LL, -2147483647 - 1},
        {"-2147483649", -2147483649LL, -2147483647 - 1},
        {"4294967296", 4294967296LL, 2147483647},
        {"9223372036854775807", max64, 2147483647},
        {"9223372036854775808", max64, 2147483647},
        {"-9223372036854775808", min64, -2147483647 - 1},
        {"-99999999999999999999999", min64, -2147483647 - 1},
        {"99999999999999999999999x", max64, 2147483647},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToInt64(c.text), c.expected64) << '"' << c.text << '"';
        EXPECT_EQ(TextToInt32(c.text), c.expected32) << '"' << c.text << '"';
    }
}

TEST(ManifestFormatTest, LinesAndFields) {
    const struct {
        std::string text;
        ResoureConfigList expected;
    } cases[] = {
        {"a.dat=1234", {Record("a.dat", "1234")}},
        {" a.dat = 1234 ", {Record("a.dat", "1234")}},
        {"a.dat==1234", {Record("a.dat", "1234")}},
        {"a.dat= =1234", {}},  // the blank field ends the line: one field, skipped
        {"=abc", {}},          // the single field "abc"
        {"a.dat", {}},
        {"sub\\b.dat=ABCD=p01=1048576=300=launcher=ignored",
         {Record("sub\\b.dat", "ABCD", "p01", 1048576, 300, "launcher")}},
        {"b.dat=m=p=12x=abc", {Record("b.dat", "m", "p", 12, 0)}},       // non-numeric reads as 0
        {"b.dat=m=p= =7=launcher", {Record("b.dat", "m", "p")}},         // blank offset ends the line
        {"x=1\r\n   \r\ny=2", {Record("x", "1")}},                       // a blank line ends the list
        {"x=1\r\n\t\r\ny=2", {Record("x", "1")}},                        // tabs only: blank too
        {"x=1\n\n\r\r\ny=2\r\n", {Record("x", "1"), Record("y", "2")}},  // empty lines vanish
        {"x=1\r\nbroken\r\ny=2", {Record("x", "1"), Record("y", "2")}},  // a short line is only skipped
        {"\r\n\r\nx=1", {Record("x", "1")}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAll(c.text), c.expected) << c.text;
}

TEST(ManifestFormatTest, ParseAppendsInLineOrderKeepingDuplicates) {
    ResoureConfigList list = {Record("first", "0")};
    ParseResourceConfigText("b=2\r\na=1\r\nb=3", list);
    EXPECT_EQ(list, (ResoureConfigList{Record("first", "0"), Record("b", "2"), Record("a", "1"), Record("b", "3")}));
}

TEST(ManifestFormatTest, UnsafeNamesAreDroppedWithATraceLine) {
    const std::string unsafe[] = {
        "..\\outside.dat", "sub\\..\\..\\outside.dat", "\\absolute.dat", "/etc/passwd", "C:\\windows\\x.dll",
        "c:relative.dat",  "sub\\\\double.dat",        "sub\\",          ".\\here.dat", "a\0b.dat"s,
    };
    for (const std::string& name : unsafe) {
        testing::internal::CaptureStdout();
        ResoureConfigList list = ParseAll("keep.dat=1\r\n" + name + "=2=p=0=5\r\nsub\\keep.dat=3");
        std::string trace = testing::internal::GetCapturedStdout();
        EXPECT_EQ(list, (ResoureConfigList{Record("keep.dat", "1"), Record("sub\\keep.dat", "3")})) << name;
        EXPECT_EQ(trace, std::string("资源名称不安全,已忽略\t") + name + "\r\n");
    }
}

TEST(ManifestFormatTest, ConfigBodyDecoding) {
    // UTF-8 (Chinese name) and plain ASCII bodies keep their text.
    ResoureConfigList list;
    ParseConfigBody("\xE8\xB5\x84\xE6\xBA\x90\\a.dat=1=p=0=10=launcher\r\nb.dat=2", list);
    EXPECT_EQ(list, (ResoureConfigList{Record("\xE8\xB5\x84\xE6\xBA\x90\\a.dat", "1", "p", 0, 10, "launcher"),
                                       Record("b.dat", "2")}));
    // Not UTF-8: decoded in the system code page, where bytes it cannot hold become "?".
    list.clear();
    ParseConfigBody("\xB0\xA1.dat=1\r\nc.dat=3", list);
    EXPECT_EQ(list, (ResoureConfigList{Record("??.dat", "1"), Record("c.dat", "3")}));
    // A NUL byte does not cut the body short; the line holding it keeps it in its md5.
    list.clear();
    ParseConfigBody("\xE4\xB8\xAD=1\r\nb=x\0y\r\nc=3"s, list);
    EXPECT_EQ(list, (ResoureConfigList{Record("\xE4\xB8\xAD", "1"), Record("b", "x\0y"s), Record("c", "3")}));
}

TEST(ManifestFormatTest, AConfigIsFetchableOnlyWithLinesAndEveryRangeAPackageCanHold) {
    const struct {
        const char* label;
        std::string body;
        bool fetchable;
    } cases[] = {
        {"ranges", "a=1=p=0=10\r\nb=2=p=10=5\r\n", true},
        {"a range ending at the largest package", "a=1=p=1099511627766=10\r\n", true},
        {"nothing", "", false},
        {"only one-field lines", "{\"code\":403}\r\nnothing here\r\n", false},
        {"a blank first line", " \r\na=1=p=0=10\r\n", false},
        {"offset -1 after a good line", "a=1=p=0=10\r\nb=2=p=-1=10\r\n", false},
        {"a negative length", "a=1=p=0=-10\r\n", false},
        {"no range", "a=1\r\n", false},
        {"one byte past the largest package", "a=1=p=1099511627767=10\r\n", false},
        {"an offset that saturates", "a=1=p=99999999999999999999999=10\r\n", false},
    };
    for (const auto& c : cases) {
        ResoureConfigList list;
        ParseConfigBody(c.body, list);
        testing::internal::CaptureStdout();
        EXPECT_EQ(IsFetchableConfig(list), c.fetchable) << c.label;
        EXPECT_EQ(testing::internal::GetCapturedStdout().empty(), c.fetchable) << c.label << ": a trace line says why";
    }
}

TEST(ManifestFormatTest, LoadManifestTracesPathAndContent) {
    TempFolder temp;
    const std::string path = temp.path() + "version.txt";
    ResoureConfigList list = {Record("old", "0")};

    testing::internal::CaptureStdout();
    EXPECT_FALSE(LoadManifest(path, list));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "资源配置文件路径:\t" + path + "\r\n");
    EXPECT_EQ(list, (ResoureConfigList{Record("old", "0")}));

    WriteFileBytes(path, "a=1\r\nb=2\r\n");
    list.clear();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(LoadManifest(path, list));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "资源配置文件路径:\t" + path + "\r\n资源配置文件内容:\r\na=1\r\nb=2\r\n\r\n");
    EXPECT_EQ(list, (ResoureConfigList{Record("a", "1"), Record("b", "2")}));
}

TEST(ManifestFormatTest, ByteOrderMarkIsIgnoredAndAnEmptyFileStillLoads) {
    TempFolder temp;
    const std::string body = "a.dat=1\r\n\xE4\xB8\xAD.dat=2\r\n";
    WriteFileBytes(temp.path() + "plain.txt", body);
    WriteFileBytes(temp.path() + "bom.txt", "\xEF\xBB\xBF" + body);
    WriteFileBytes(temp.path() + "empty.txt", "");
    ResoureConfigList plain, bom, empty;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(LoadManifest(temp.path() + "plain.txt", plain));
    EXPECT_TRUE(LoadManifest(temp.path() + "bom.txt", bom));
    EXPECT_TRUE(LoadManifest(temp.path() + "empty.txt", empty));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(plain.size(), 2u);
    EXPECT_EQ(bom, plain);
    EXPECT_TRUE(empty.empty());
}

TEST(ManifestFormatTest, SerializeWritesNameAndMd5InOrdinalOrder) {
    const std::string fullwidthA = "\xEF\xBC\xA1";  // U+FF21
    const std::string emoji = "\xF0\x9F\x98\x80";   // U+1F600: before U+FF21 in UTF-16, after it in bytes
    ResoureConfigMap map;
    map.emplace("b", Record("b", "2", "pkg", 5, 6, "launcher"));
    map.emplace("a", Record("a", "1"));
    EXPECT_EQ(SerializeManifest(map), "a=1\r\nb=2\r\n");

    map.emplace(fullwidthA, Record(fullwidthA, "3"));
    map.emplace(emoji, Record(emoji, "4"));
    map.emplace("B", Record("B", "5"));
    EXPECT_EQ(SerializeManifest(map), "B=5\r\na=1\r\nb=2\r\n" + emoji + "=4\r\n" + fullwidthA + "=3\r\n");
    EXPECT_EQ(SerializeManifest(ResoureConfigMap()), "");
}

TEST(ManifestFormatTest, SaveManifestReplacesTheWholeFile) {
    TempFolder temp;
    const std::string path = temp.path() + "root/version.txt";
    ResoureConfigMap map;
    EXPECT_FALSE(SaveManifest(path, map));  // nothing to write: no file
    EXPECT_FALSE(PathExists(path));

    map.emplace("b", Record("b", "2"));
    map.emplace("a.dat", Record("a.dat", ""));  // a file known missing
    ASSERT_TRUE(SaveManifest(path, map));
    EXPECT_EQ(ReadFileBytes(path), "a.dat=\r\nb=2\r\n");
    EXPECT_FALSE(PathExists(path + ".new"));
    // Read back, the empty md5 makes a one-field line: a.dat is gone.
    ResoureConfigList reread;
    testing::internal::CaptureStdout();
    LoadManifest(path, reread);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(reread, (ResoureConfigList{Record("b", "2")}));

    // A longer old file is replaced, not overwritten in place; an empty map leaves it alone.
    WriteFileBytes(path, "\xEF\xBB\xBFold-long-content=0123456789\r\nmore=1\r\n");
    ASSERT_TRUE(SaveManifest(path, map));
    EXPECT_EQ(ReadFileBytes(path), "a.dat=\r\nb=2\r\n");
    EXPECT_FALSE(SaveManifest(path, ResoureConfigMap()));
    EXPECT_EQ(ReadFileBytes(path), "a.dat=\r\nb=2\r\n");

    // The folder cannot be made (a regular file stands in its place): failure, nothing written.
    WriteFileBytes(temp.path() + "blocked", "file");
    EXPECT_FALSE(SaveManifest(temp.path() + "blocked/version.txt", map));
}

}  // namespace
