#include "base/Base64.h"
#include "shell/GameProcessContract.h"

#include <gtest/gtest.h>

namespace {

TEST(GameProcessContractTest, PathsBelowTheRoot) {
    EXPECT_EQ(GameFolder("/r/"), "/r/game/");
    EXPECT_EQ(GameExecutablePath("/r/"), "/r/game/qrvo_game");
    EXPECT_EQ(LauncherExecutablePath("/r/"), "/r/Tolmqrvo");
}

TEST(GameProcessContractTest, LaunchParametersAreFormattedWithoutQuoting) {
    std::string login = Base64EncodeBytes(FormatLoginText("", "", ""));
    EXPECT_EQ(login, "YXV0aF9rZXk9LHVpZD0sZXh0cmFJbmZvPQ==");
    EXPECT_EQ(FormatLaunchParameters("/home/p/Tolmqrvo", "ABC", "", login, kPlatformNumber),
              "ENTRANCE=/home/p/Tolmqrvo DEVICE_ID=ABC RESOURCE_HASH= LOGIN_DATA=YXV0aF9rZXk9LHVpZD0sZXh0cmFJbmZvPQ== "
              "PLATFORM=1");
    // A space in the launcher's path would split the token; it travels as %20.
    EXPECT_EQ(FormatLaunchParameters("/home/p q/Tolmqrvo", "", "", "", "1"),
              "ENTRANCE=/home/p%20q/Tolmqrvo DEVICE_ID= RESOURCE_HASH= LOGIN_DATA= PLATFORM=1");
}

}  // namespace
