#include "resources/ManifestFormat.h"

#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "base/TextConversions.h"
#include "base/Trace.h"
#include "platform/CodePage.h"
#include "platform/DebugOutput.h"

#include <limits>
#include <string_view>
#include <utility>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Integer>
Integer ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude is gathered unsigned, capped at the largest one the sign allows.
    using Magnitude = unsigned long long;
    const Magnitude limit =
        negative ? Magnitude(std::numeric_limits<Integer>::max()) + 1 : Magnitude(std::numeric_limits<Integer>::max());
    Magnitude value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        Magnitude digit = static_cast<Magnitude>(text[i] - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    if (!negative)
        return static_cast<Integer>(value);
    if (value == limit)
        return std::numeric_limits<Integer>::min();
    return static_cast<Integer>(-static_cast<Integer>(value));
}

}  // namespace

std::int64_t TextToInt64(std::string_view text) {
    return ReadDecimal<std::int64_t>(text);
}

std::int32_t TextToInt32(std::string_view text) {
    return ReadDecimal<std::int32_t>(text);
}

bool ParseResourceConfigText(const std::string& text, ResoureConfigList& list) {
    // No reserve by line breaks: a body of nothing but line breaks would reserve a record for
    // each of them. The list grows with the usable lines only.
    ForEachSplitToken(text, "\r\n", [&list](std::string_view line) {
        constexpr std::size_t kFields = 6;  // later fields are ignored
        std::string_view fields[kFields];
        std::size_t count = 0;
        ForEachSplitToken(line, "=", [&](std::string_view field) {
            if (count < kFields)
                fields[count++] = field;
        });
        if (count < 2)
            return;
        ResoureConfigInfo record;
        record.name = fields[0];
        if (!IsSafeResourceName(record.name)) {
            TraceLine(kUnsafeNameTracePrefix + record.name);
            return;
        }
        record.md5 = fields[1];
        record.packageDir = fields[2];
        record.offset = TextToInt64(fields[3]);
        record.length = TextToInt32(fields[4]);
        record.category = fields[5];
        list.push_back(std::move(record));
    });
    return true;
}

bool ParseConfigBody(const std::string& body, ResoureConfigList& list) {
    // UTF-8 goes through the code page like a manifest; anything else is code-page text already.
    std::string text = IsUtf8Text(body) ? platform::AnsiToText(platform::TextToAnsi(body)) : platform::AnsiToText(body);
    return ParseResourceConfigText(text, list);
}

bool IsFetchableConfig(const ResoureConfigList& list) {
    if (list.empty()) {
        TraceLine(kConfigWithoutLinesTrace);
        return false;
    }
    for (const ResoureConfigInfo& record : list) {
        // The range must be a non-empty one that a package file can hold: offset -1 would fetch
        // the whole package into this one file, and a range of no bytes never holds a stream.
        bool fetchable = record.offset >= 0 && record.length > 0 &&
                         record.offset <= kLargestPackageSize - static_cast<std::int64_t>(record.length);
        if (!fetchable) {
            TraceLine(kUnfetchableLineTrace + record.name + "\t" + std::to_string(record.offset) + "\t" +
                      std::to_string(record.length));
            return false;
        }
    }
    return true;
}

bool LoadManifest(const std::string& path, ResoureConfigList& list) {
    TraceLine("资源配置文件路径:\t" + path);
    std::string text;
    if (!ReadTextFile(path, text))
        return false;
    // A copy and a conversion of the whole file (megabytes with many resources) otherwise.
    if (platform::IsDebugOutputEnabled())
        TraceLine("资源配置文件内容:\r\n" + text);
    return ParseResourceConfigText(text, list);
}

std::string SerializeManifest(const ResoureConfigMap& map) {
    std::string text;
    for (const auto& [name, record] : map) {
        text += name;
        text += '=';
        text += record.md5;
        text += "\r\n";
    }
    return text;
}

bool SaveManifest(const std::string& path, const ResoureConfigMap& map) {
    if (map.empty())
        return false;
    return SaveManifestText(path, SerializeManifest(map));
}

bool SaveManifestText(const std::string& path, const std::string& text) {
    std::string bytes;
    TextToUtf8(text, &bytes);
    return ReplaceFileContent(path, bytes);
}
