#include "download/HttpRequestTarget.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

namespace {

// Host and object each had to fit a buffer of this many characters, terminator included.
constexpr std::size_t kPartBufferSize = 2084;

std::string Canonical(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (char c : url) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out.push_back('/');
        } else if (byte <= 0x20 || byte >= 0x7F) {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

bool GetPart(CURLU* url, CURLUPart part, unsigned flags, std::string& value, bool optional = false) {
    char* text = nullptr;
    CURLUcode code = curl_url_get(url, part, &text, flags);
    if (code != CURLUE_OK) {
        value.clear();
        return optional;
    }
    value = text;
    curl_free(text);
    return true;
}

}  // namespace

bool ParseRequestTarget(const std::string& url, HttpRequestTarget& target) {
    // libcurl would read "http:///name" as the host "name"; such a URL names no host.
    std::size_t authority = url.find("://");
    if (authority != std::string::npos &&
        (url.compare(authority + 3, 1, "/") == 0 || url.compare(authority + 3, 1, "\\") == 0))
        return false;
    std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, Canonical(url).c_str(), 0) != CURLUE_OK)
        return false;
    std::string scheme, port, path, query;
    if (!GetPart(parsed.get(), CURLUPART_SCHEME, 0, scheme) || (scheme != "http" && scheme != "https") ||
        !GetPart(parsed.get(), CURLUPART_HOST, 0, target.host) ||
        !GetPart(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT, port) ||
        !GetPart(parsed.get(), CURLUPART_PATH, 0, path) || !GetPart(parsed.get(), CURLUPART_QUERY, 0, query, true))
        return false;
    target.object = query.empty() ? path : path + "?" + query;
    if (target.host.empty() || target.host.size() >= kPartBufferSize || target.object.size() >= kPartBufferSize)
        return false;
    target.port = static_cast<int>(std::strtol(port.c_str(), nullptr, 10));
    target.tls = scheme == "https" || target.port == 443;
    if (target.tls && scheme == "http" &&
        (curl_url_set(parsed.get(), CURLUPART_SCHEME, "https", 0) != CURLUE_OK ||
         curl_url_set(parsed.get(), CURLUPART_PORT, port.c_str(), 0) != CURLUE_OK))
        return false;
    // A fragment never travels in a request.
    curl_url_set(parsed.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return GetPart(parsed.get(), CURLUPART_URL, 0, target.url);
}
