#pragma once

#include <string>

// A request URL split the way the transfer uses it.
struct HttpRequestTarget {
    std::string url;  // what the HTTP client is given; its scheme is "https" whenever tls is set
    std::string host;
    int port = 0;        // explicit, or 80/443 from the scheme
    std::string object;  // path plus query, as requested
    bool tls = false;    // scheme "https", or port 443 whatever the scheme says
};

// Turns every backslash into "/", percent-encodes bytes that cannot travel in a request line
// (controls, space, non-ASCII) and splits the URL. False for a URL that cannot be split, a scheme
// other than http or https, or a host or object of 2,084 characters or more.
bool ParseRequestTarget(const std::string& url, HttpRequestTarget& target);
