#include "notice/TKNoticeRequest.h"

#include "base/TextConversions.h"
#include "notice/UpdateServers.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

#include <json/json.h>

#include <memory>

namespace {

// Nesting deeper than this is no answer of the service; it is refused before it costs stack.
constexpr int kJsonDepthLimit = 64;
// The service answers with a few hundred bytes; anything past this is not its answer and is
// refused while it arrives, before it costs memory.
constexpr std::size_t kAnswerLimit = 1024 * 1024;

bool ParseJson(const std::string& text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["allowComments"] = true;
    builder["stackLimit"] = kJsonDepthLimit;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const std::exception&) {
        return false;  // the reader throws past its depth limit
    }
}

}  // namespace

TKNoticeRequest::TKNoticeRequest(std::string serviceUrl) : serviceUrl_(std::move(serviceUrl)) {
    SetAnswerLimit(kAnswerLimit);
}

TKNoticeRequest::~TKNoticeRequest() {
    Wait();
}

void TKNoticeRequest::SetNoticeCallback(NoticeCallback callback) {
    std::lock_guard<std::mutex> guard(callbackLock_);
    callback_ = std::move(callback);
}

void TKNoticeRequest::BuildRequest(std::string& url, std::string& body) {
    url = serviceUrl_;
    const auto* params = dynamic_cast<const NoticeRequestParams*>(parameters());
    NoticeRequestParams empty;
    if (!params)
        params = &empty;
    std::string text = FormatNoticeRequestBody(params->packageName, params->version, params->deviceId, params->language,
                                               kNoticeResourceType, platform::UnixTimeNow());
    TextToUtf8(text, &body);
}

RequestNoticeResult TKNoticeRequest::InterpretAnswer(const std::string& body,
                                                     int transferResult,
                                                     std::string& address) {
    address.clear();
    if (transferResult != 200)
        return NoticeResultRequestError;
    std::string text;
    if (IsUtf8Text(body))
        Utf8ToText(body.c_str(), &text);
    else
        text = platform::AnsiToText(body);
    Json::Value root;
    if (!ParseJson(text, root) || !root.isObject())
        return NoticeResultParseError;
    const Json::Value& resdata = root["resdata"];
    if (resdata.isNull() || !resdata.isArray())
        return NoticeResultParseError;
    if (resdata.size() < 1)
        return NoticeResultNoAddress;
    bool found = false;
    std::string chosen;
    for (Json::ArrayIndex i = 0; i < resdata.size(); ++i) {
        const Json::Value& element = resdata[i];
        if (!element.isObject())
            continue;
        const Json::Value& type = element["Type"];
        const Json::Value& url = element["URL"];
        // Entries whose members are missing, null or not text are skipped like foreign types.
        if (!type.isString() || !url.isString() || type.asString() != kNoticeResourceType)
            continue;
        chosen = url.asString();
        found = true;
    }
    if (!found || chosen.empty())
        return NoticeResultNoAddress;
    address = chosen;
    return NoticeResultSuccess;
}

void TKNoticeRequest::OnResponse(std::string body, int result) {
    std::string address;
    RequestNoticeResult outcome = InterpretAnswer(body, result, address);
    NoticeCallback callback;
    {
        std::lock_guard<std::mutex> guard(callbackLock_);
        callback = callback_;
    }
    if (callback)
        callback(address, outcome);
}
