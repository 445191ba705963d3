#include "resources/ArrivalRecord.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

ResoureConfigInfo Line(const std::string& name, const std::string& md5) {
    ResoureConfigInfo record;
    record.name = name;
    record.md5 = md5;
    return record;
}

std::vector<std::pair<std::string, std::string>> NamesAndMd5s(const ResoureConfigList& list) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const ResoureConfigInfo& record : list)
        pairs.emplace_back(record.name, record.md5);
    return pairs;
}

// Every way a placement can end, written through the record and read back as the next start
// reads it: only files whose staged file is gone and whose rename was not taken back count.
TEST(ArrivalRecordTest, OnlyPlacementsThatReachedTheirTargetAreReadBack) {
    testsupport::TempFolder folder;
    const std::string path = folder.path() + "arrivals.txt";
    ArrivalRecord record;
    ASSERT_TRUE(record.Open(path));
    record.Placing("7-1", Line("maps\\north.map", "aaa1"));    // renamed
    record.Placing("7-2", Line("maps\\south.map", "bbb2"));    // killed before its rename
    record.Placing("7-3", Line("sound\\battle.ogg", "ccc3"));  // rename failed
    record.NotPlaced("7-3");
    record.Placing("7-4", Line("maps\\north.map", "aaa4"));  // renamed again, a later version
    record.Close();
    std::string text = testsupport::ReadFileBytes(path);
    // The kill cut the last line short: its rename cannot have happened yet.
    text += "7-6\tmovie\\intro.bik=ff";

    std::set<std::string> stillStaged = {"7-2", "7-6"};
    ResoureConfigList placed =
        ArrivalRecord::ReadPlaced(text, [&](const std::string& staged) { return stillStaged.count(staged) > 0; });
    EXPECT_EQ(NamesAndMd5s(placed), (std::vector<std::pair<std::string, std::string>>{{"maps\\north.map", "aaa1"},
                                                                                      {"maps\\north.map", "aaa4"}}));

    // The same record is written afresh by the next run.
    ASSERT_TRUE(record.Open(path));
    record.Close();
    EXPECT_EQ(testsupport::ReadFileBytes(path), "");
}

}  // namespace
