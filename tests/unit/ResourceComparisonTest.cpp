#include "resources/ResourceComparison.h"

#include "resources/ManifestFormat.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

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

ResoureConfigMap MapOf(const ResoureConfigList& records) {
    ResoureConfigMap map;
    for (const ResoureConfigInfo& record : records)
        map.emplace(record.name, record);
    return map;
}

std::vector<std::string> NamesOf(const ResourceCompareList& list) {
    std::vector<std::string> names;
    for (const auto& entry : list)
        names.push_back(entry.name);
    return names;
}

class ResourceComparisonTest : public testing::Test {
protected:
    // Puts a game resource on disk below R + "game/".
    void Install(const std::string& relativePath) { WriteFileBytes(gameFolder_ + relativePath, "content"); }

    // Runs the decision on a config text, capturing its trace.
    void Plan(const std::string& config) {
        ResoureConfigList cdnList;
        testing::internal::CaptureStdout();
        ParseConfigBody(config, cdnList);
        PlanResourceUpdate(cdnList, localLauncher_, localResources_, gameFolder_, plan_);
        trace_ = testing::internal::GetCapturedStdout();
    }

    TempFolder root_;
    const std::string gameFolder_ = root_.path() + "game/";
    ResoureConfigMap localLauncher_;
    ResoureConfigMap localResources_;
    ResourceUpdatePlan plan_;
    std::string trace_;
};

TEST_F(ResourceComparisonTest, NoLocalManifestFetchesEverythingAndRemovesNothing) {
    Plan("b.dat=B=p2=200=20\r\na.dat=A=p1=100=10\r\nsub\\c.dat=C\r\ntool.so=T=p3=7=5=launcher");
    ResourceCompareResultInfo a{"a.dat", "", "A", CompareAdded, "p1", 100, 10};
    ResourceCompareResultInfo b{"b.dat", "", "B", CompareAdded, "p2", 200, 20};
    ResourceCompareResultInfo c{"sub\\c.dat", "", "C", CompareAdded, "", 0, 0};
    ResourceCompareResultInfo tool{"tool.so", "", "T", CompareAdded, "p3", 7, 5};
    EXPECT_EQ(plan_.resourceFetchList, (ResourceCompareList{a, b, c}));
    EXPECT_EQ(plan_.launcherFetchList, ResourceCompareList{tool});
    EXPECT_TRUE(plan_.resourceRemovalList.empty());
    EXPECT_TRUE(plan_.launcherRemovalList.empty());
    EXPECT_EQ(plan_.downloadTotal, 35u);
    EXPECT_EQ(plan_.cdnResourceMap.size(), 3u);
    EXPECT_EQ(plan_.cdnLauncherMap.size(), 1u);
    EXPECT_TRUE(localResources_.empty());
}

TEST_F(ResourceComparisonTest, ComparesMd5ExactlyAndListsRemovals) {
    Install("same.dat");
    Install("upper.dat");
    Install("gone.dat");
    localResources_ =
        MapOf({Record("same.dat", "ABC"), Record("upper.dat", "X"), Record("gone.dat", "G", "oldpkg", 9, 99)});
    localLauncher_ = MapOf({Record("old.so", "O", "lp", 1, 2)});
    Plan("same.dat=ABC=p=0=1\r\nupper.dat=x=p=1=2\r\nnew.dat=N=p=3=4");
    EXPECT_EQ(plan_.resourceFetchList, (ResourceCompareList{{"new.dat", "", "N", CompareAdded, "p", 3, 4},
                                                            {"upper.dat", "X", "x", CompareChanged, "p", 1, 2}}));
    EXPECT_EQ(plan_.resourceRemovalList, (ResourceCompareList{{"gone.dat", "", "G", CompareRemoved, "oldpkg", 9, 99}}));
    // A launcher file the CDN no longer lists is only reported.
    EXPECT_EQ(plan_.launcherRemovalList, (ResourceCompareList{{"old.so", "", "O", CompareRemoved, "lp", 1, 2}}));
    EXPECT_TRUE(plan_.launcherFetchList.empty());
    EXPECT_EQ(plan_.downloadTotal, 6u);
    EXPECT_EQ(localLauncher_.size(), 1u);
    EXPECT_EQ(localResources_.at("gone.dat").md5, "G");  // the comparison removes nothing itself
}

TEST_F(ResourceComparisonTest, AMissingFileIsFetchedAndForgottenInTheManifest) {
    Install("present.dat");
    localResources_ = MapOf({Record("a.dat", "M"), Record("present.dat", "P")});
    localLauncher_ = MapOf({Record("tool.so", "T")});  // launcher files are never looked for
    WriteFileBytes(gameFolder_ + "a.dat/inner", "a folder named like the file is not the file");
    Plan("a.dat=M=p=0=8\r\npresent.dat=P\r\ntool.so=T=p=0=9=Launcher");
    EXPECT_EQ(plan_.resourceFetchList, (ResourceCompareList{{"a.dat", "", "M", CompareChanged, "p", 0, 8}}));
    EXPECT_TRUE(plan_.launcherFetchList.empty());
    EXPECT_EQ(plan_.downloadTotal, 8u);
    EXPECT_EQ(localResources_.at("a.dat").md5, "");
    EXPECT_EQ(localLauncher_.at("tool.so").md5, "T");
    // What the resource manager writes to version.txt right after the comparison.
    EXPECT_EQ(SerializeManifest(localResources_), "a.dat=\r\npresent.dat=P\r\n");
}

TEST_F(ResourceComparisonTest, ExistenceFollowsLinksAndIgnoresFolders) {
    Install("real.dat");
    Install("sub/deeper/nested.dat");
    std::filesystem::create_symlink(gameFolder_ + "real.dat", gameFolder_ + "link.dat");
    std::filesystem::create_symlink(gameFolder_ + "nowhere.dat", gameFolder_ + "dangling.dat");
    std::filesystem::create_directories(gameFolder_ + "folder.dat");
    localResources_ =
        MapOf({Record("real.dat", "1"), Record("link.dat", "2"), Record("dangling.dat", "3"), Record("folder.dat", "4"),
               Record("sub\\deeper\\nested.dat", "5"), Record("sub/deeper/nested.dat", "6"),
               Record("sub\\nested.dat", "7"), Record("absent\\x.dat", "8")});
    ResoureConfigMap cdn = localResources_;
    ResourceCompareList fetch, removal;
    ASSERT_EQ(CompareMaps(localResources_, &cdn, &fetch, &removal, true, gameFolder_), 1);
    EXPECT_EQ(SerializeManifest(localResources_),
              "absent\\x.dat=\r\ndangling.dat=\r\nfolder.dat=\r\nlink.dat=2\r\nreal.dat=1\r\n"
              "sub/deeper/nested.dat=6\r\nsub\\deeper\\nested.dat=5\r\nsub\\nested.dat=\r\n");
    EXPECT_EQ(NamesOf(fetch),
              (std::vector<std::string>{"absent\\x.dat", "dangling.dat", "folder.dat", "sub\\nested.dat"}));
    EXPECT_TRUE(removal.empty());
}

TEST_F(ResourceComparisonTest, ZeroLengthsGiveAZeroTotalWithFilesToFetch) {
    Plan("a.dat=A\r\nb.dat=B=p=0=0\r\nl.so=L=p=0=0=launcher");
    EXPECT_EQ(plan_.resourceFetchList.size(), 2u);
    EXPECT_EQ(plan_.launcherFetchList.size(), 1u);
    EXPECT_EQ(plan_.downloadTotal, 0u);
}

TEST_F(ResourceComparisonTest, TotalSumsLengthsAsUnsigned32BitIn64Bits) {
    Plan("a=1=p=0=2147483647\r\nb=2=p=0=2147483647\r\nc=3=p=0=-1\r\nl=4=p=0=2147483647=LAUNCHER");
    EXPECT_EQ(plan_.downloadTotal, std::uint64_t{3} * 2147483647u + 4294967295u);
}

TEST_F(ResourceComparisonTest, CategorySplitAndDuplicateNames) {
    Plan(
        "a=1=p=0=1=Launcher\r\nb=2=p=0=1=LAUNCHER\r\nc=3=p=0=1=launcherx\r\nd=4=p=0=1=game\r\n"
        "a=5=p=0=1=launcher\r\nd=6\r\na=7\r\n");
    EXPECT_EQ(NamesOf(plan_.launcherFetchList), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(NamesOf(plan_.resourceFetchList), (std::vector<std::string>{"a", "c", "d"}));
    // The first record of a name stays; each later one is traced.
    EXPECT_EQ(plan_.cdnLauncherMap.at("a").md5, "1");
    EXPECT_EQ(plan_.cdnResourceMap.at("d").md5, "4");
    EXPECT_EQ(plan_.cdnResourceMap.at("a").md5, "7");  // the same name as a game resource is another file
    EXPECT_EQ(trace_, "CDNLauncherInfo插入失败\ta\r\nCDNResourceInfo插入失败\td\r\n");
}

TEST_F(ResourceComparisonTest, PlanStartsFromScratch) {
    Plan("a=1=p=0=5");
    Plan("b=2=p=0=3");
    EXPECT_EQ(NamesOf(plan_.resourceFetchList), std::vector<std::string>{"b"});
    EXPECT_EQ(plan_.cdnResourceMap.count("a"), 0u);
    EXPECT_EQ(plan_.downloadTotal, 3u);
}

TEST_F(ResourceComparisonTest, UnsafeNamesNeverReachAListOrAPath) {
    // A file the escaping names would point at, outside the game folder.
    WriteFileBytes(root_.path() + "outside.dat", "keep me");
    Plan(
        "..\\outside.dat=1=p=0=5\r\n/etc/passwd=2=p=0=5\r\nC:\\x.dat=3=p=0=5\r\nok.dat=4=p=0=5\r\n"
        "..\\..\\launcher.so=5=p=0=5=launcher");
    EXPECT_EQ(NamesOf(plan_.resourceFetchList), std::vector<std::string>{"ok.dat"});
    EXPECT_TRUE(plan_.launcherFetchList.empty());
    EXPECT_EQ(plan_.downloadTotal, 5u);
    EXPECT_NE(trace_.find("资源名称不安全,已忽略\t..\\outside.dat\r\n"), std::string::npos);

    // A local record with such a name (not from a parse) has no file, even where one exists.
    localResources_ = MapOf({Record("..\\outside.dat", "1")});
    ResoureConfigMap cdn = MapOf({Record("..\\outside.dat", "1")});
    ResourceCompareList fetch, removal;
    EXPECT_EQ(CompareMaps(localResources_, &cdn, &fetch, &removal, true, gameFolder_), 1);
    EXPECT_EQ(localResources_.at("..\\outside.dat").md5, "");
    EXPECT_EQ(fetch.size(), 1u);
}

TEST_F(ResourceComparisonTest, CompareMapsDoesNothingWithoutItsInputs) {
    localResources_ = MapOf({Record("missing.dat", "M")});
    ResoureConfigMap cdn = MapOf({Record("x", "1")});
    ResourceCompareList fetch, removal;
    EXPECT_EQ(CompareMaps(localResources_, nullptr, &fetch, &removal, true, gameFolder_), 0);
    EXPECT_EQ(CompareMaps(localResources_, &cdn, nullptr, &removal, true, gameFolder_), 0);
    EXPECT_EQ(CompareMaps(localResources_, &cdn, &fetch, nullptr, true, gameFolder_), 0);
    EXPECT_TRUE(fetch.empty());
    EXPECT_TRUE(removal.empty());
    EXPECT_EQ(localResources_.at("missing.dat").md5, "M");
}

}  // namespace
