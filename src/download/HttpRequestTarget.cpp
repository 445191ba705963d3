#include "download/HttpRequestTarget.h"

#include <cctype>
#include <cstdlib>

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

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A name of letters, digits, "-", "." and "_", or an IPv6 address in brackets.
bool IsHostName(const std::string& host) {
    if (host.empty())
        return false;
    if (host.front() == '[')
        return host.size() > 2 && host.back() == ']' &&
               host.find_first_not_of("0123456789abcdefABCDEF:.", 1) == host.size() - 1;
    for (char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_')
            return false;
    }
    return true;
}

// "." and ".." segments resolved as a browser does, so a request never names a parent folder.
std::string RemoveDotSegments(const std::string& path) {
    std::string input = path, output;
    while (!input.empty()) {
        if (input.compare(0, 3, "../") == 0) {
            input.erase(0, 3);
        } else if (input.compare(0, 2, "./") == 0 || input.compare(0, 3, "/./") == 0) {
            input.erase(0, 2);  // "/./x" becomes "/x"
        } else if (input == "/.") {
            input = "/";
        } else if (input.compare(0, 4, "/../") == 0 || input == "/..") {
            input = input == "/.." ? "/" : input.substr(3);
            std::size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            std::size_t next = input.find('/', 1);
            output += input.substr(0, next);
            input.erase(0, next == std::string::npos ? input.size() : next);
        }
    }
    return output;
}

}  // namespace

bool ParseRequestTarget(const std::string& url, HttpRequestTarget& target) {
    std::string text = Canonical(url);
    std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos || schemeEnd == 0)
        return false;
    std::string scheme = Lower(text.substr(0, schemeEnd));
    if (scheme != "http" && scheme != "https")
        return false;
    std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = text.find_first_of("/?#", authorityStart);
    if (authorityEnd == std::string::npos)
        authorityEnd = text.size();
    std::string authority = text.substr(authorityStart, authorityEnd - authorityStart);
    std::string rest = text.substr(authorityEnd);
    // A fragment never travels in a request.
    std::size_t hash = rest.find('#');
    if (hash != std::string::npos)
        rest.erase(hash);

    std::size_t at = authority.rfind('@');
    std::string userInfo = at == std::string::npos ? "" : authority.substr(0, at + 1);
    std::string hostPort = at == std::string::npos ? authority : authority.substr(at + 1);
    std::size_t colon = hostPort.rfind(':');
    if (colon != std::string::npos && hostPort.find(']', colon) != std::string::npos)
        colon = std::string::npos;  // inside an IPv6 address
    target.host = hostPort.substr(0, colon);
    std::string port = colon == std::string::npos ? "" : hostPort.substr(colon + 1);
    if (!IsHostName(target.host) || port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5)
        return false;
    long number = port.empty() ? (scheme == "https" ? 443 : 80) : std::strtol(port.c_str(), nullptr, 10);
    if (number > 65535)
        return false;

    std::size_t question = rest.find('?');
    std::string path = RemoveDotSegments(rest.substr(0, question));
    if (path.empty() || path.front() != '/')
        path.insert(0, "/");
    std::string query = question == std::string::npos ? "" : rest.substr(question + 1);
    target.object = query.empty() ? path : path + "?" + query;
    if (target.host.size() >= kPartBufferSize || target.object.size() >= kPartBufferSize)
        return false;
    target.port = static_cast<int>(number);
    target.tls = scheme == "https" || target.port == 443;
    // A plain scheme with port 443 is asked over TLS; the port stays as written.
    target.url = (target.tls ? "https" : "http") + std::string("://") + userInfo + target.host +
                 (port.empty() ? "" : ":" + port) + target.object;
    return true;
}
