#include "notice/OpenInBrowser.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace {

TEST(OpenInBrowserTest, FallsBackToTheConfiguredBrowserAndFailsWithoutAny) {
    testsupport::TempFolder empty;
    testsupport::ScopedEnvironment environment;
    environment.Set("PATH", empty.path());  // no desktop opener to be found
    environment.Unset("BROWSER");
    EXPECT_FALSE(OpenInBrowser("http://127.0.0.1/news"));
    environment.Set("BROWSER", "/bin/true");
    EXPECT_TRUE(OpenInBrowser("http://127.0.0.1/news"));
    environment.Set("BROWSER", empty.path() + "missing-browser");
    EXPECT_FALSE(OpenInBrowser("http://127.0.0.1/news"));
}

}  // namespace
