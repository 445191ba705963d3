#include "download/HttpRequestTarget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HttpRequestTargetTest, SplitsUrlsAsTheTransferRequestsThem) {
    struct Case {
        const char* url;
        const char* requested;
        const char* host;
        int port;
        const char* object;
        bool tls;
    };
    const Case cases[] = {
        {"http://cdn.example/x/p01/kx_game.kxpkg", "http://cdn.example/x/p01/kx_game.kxpkg", "cdn.example", 80,
         "/x/p01/kx_game.kxpkg", false},
        {"http://cdn.example\\x\\p01\\kx_game.kxpkg", "http://cdn.example/x/p01/kx_game.kxpkg", "cdn.example", 80,
         "/x/p01/kx_game.kxpkg", false},
        {"http://cdn.example:8000", "http://cdn.example:8000/", "cdn.example", 8000, "/", false},
        {"http://cdn.example/config.txt?r=20240305180709", "http://cdn.example/config.txt?r=20240305180709",
         "cdn.example", 80, "/config.txt?r=20240305180709", false},
        {"HTTPS://cdn.example/a", "https://cdn.example/a", "cdn.example", 443, "/a", true},
        // TLS follows the scheme, and port 443 whatever the scheme says.
        {"https://cdn.example:8443/a", "https://cdn.example:8443/a", "cdn.example", 8443, "/a", true},
        {"http://cdn.example:443/a", "https://cdn.example:443/a", "cdn.example", 443, "/a", true},
        // Bytes a request line cannot carry are percent-encoded.
        {"http://cdn.example/新 包/a b", "http://cdn.example/%E6%96%B0%20%E5%8C%85/a%20b", "cdn.example", 80,
         "/%E6%96%B0%20%E5%8C%85/a%20b", false},
        {"http://cdn.example/a#part", "http://cdn.example/a", "cdn.example", 80, "/a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        HttpRequestTarget target;
        ASSERT_TRUE(ParseRequestTarget(c.url, target));
        EXPECT_EQ(target.url, c.requested);
        EXPECT_EQ(target.host, c.host);
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.object, c.object);
        EXPECT_EQ(target.tls, c.tls);
    }
}

TEST(HttpRequestTargetTest, RefusesWhatCannotBeRequested) {
    const std::string refused[] = {
        "",
        "cdn.example/a",
        "://cdn.example/a",
        "ftp://cdn.example/a",
        "file:///etc/passwd",
        "http:///a",
        "http://\\a",
        "http://cdn.example:99999/a",
        "http://" + std::string(2084, 'h') + "/a",
        "http://cdn.example/" + std::string(2083, 'o'),
        "http://cdn.example/a?" + std::string(2082, 'q'),
    };
    for (const std::string& url : refused) {
        SCOPED_TRACE(url.substr(0, 40));
        HttpRequestTarget target;
        EXPECT_FALSE(ParseRequestTarget(url, target));
    }
    HttpRequestTarget longest;
    EXPECT_TRUE(ParseRequestTarget("http://" + std::string(2083, 'h') + "/" + std::string(2082, 'o'), longest));
}

}  // namespace
