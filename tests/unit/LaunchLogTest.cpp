#include "base/Trace.h"
#include "shell/LaunchLog.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using testsupport::IsolatedHome;
using testsupport::ReadFileBytes;

TEST(LaunchLogTest, TimestampFormat) {
    EXPECT_TRUE(std::regex_match(LogTimestamp(), std::regex(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )")))
        << LogTimestamp();
}

TEST(LaunchLogTest, ThreeLinesAppendedWithCrLf) {
    IsolatedHome home;
    EXPECT_EQ(GetLogFilePath(), home.userFolder() + "QRVOLog.txt");
    AppendLaunchLog(kLaunchLogMarker);
    AppendLaunchLog(kOpenGameLogText);
    AppendLaunchLog("ENTRANCE=/x DEVICE_ID= 100%");
    std::string log = ReadFileBytes(GetLogFilePath());
    const std::string stamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )";
    EXPECT_TRUE(std::regex_match(log, std::regex(stamp + "1126\r\n" + stamp + "CMainForegroundDialog::OpenGame\r\n" +
                                                 stamp + "ENTRANCE=/x DEVICE_ID= 100%\r\n")))
        << log;
}

TEST(LaunchLogTest, UnwritableLogIsSilentlyLost) {
    IsolatedHome home;
    // The log's own name taken by a folder.
    testsupport::WriteFileBytes(home.userFolder() + "QRVOLog.txt/keep", "x");
    AppendLaunchLog(kLaunchLogMarker);
    EXPECT_EQ(ReadFileBytes(home.userFolder() + "QRVOLog.txt/keep"), "x");
}

TEST(TraceTest, WritesTheTextAndCrLfUnchanged) {
    testing::internal::CaptureStdout();
    TraceLine("下载成功\t100% done %s %d");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "下载成功\t100% done %s %d\r\n");
}

}  // namespace
