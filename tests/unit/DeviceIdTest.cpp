#include "base/Md5.h"
#include "notice/DeviceId.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceIdTest, HashesTheAddressesInListOrder) {
    std::vector<std::vector<std::uint8_t>> adapters = {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55},
                                                       {0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB}};
    EXPECT_EQ(DeviceIdFromAddresses(adapters), Md5HexOfText("00112233445566778899AABB"));
    std::swap(adapters[0], adapters[1]);
    EXPECT_EQ(DeviceIdFromAddresses(adapters), Md5HexOfText("66778899AABB001122334455"));
}

TEST(DeviceIdTest, NoAddressBytesGiveTheDigestOfNothing) {
    EXPECT_EQ(DeviceIdFromAddresses({}), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(DeviceIdTest, ThisMachineGivesThirtyTwoUpperHexDigitsOrNothing) {
    std::string id;
    GetDeviceId(id);
    if (!id.empty()) {
        ASSERT_EQ(id.size(), 32u);
        for (char c : id)
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << id;
    }
}

}  // namespace
