#include "notice/TKNoticeRequest.h"

#include "base/TextConversions.h"
#include "notice/UpdateServers.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace {

using Json = nlohmann::json;

// Nesting deeper than this is no answer of the service; it is refused before it costs memory.
// A value at depth 64 or deeper (the top level is depth 0) fails the parse.
constexpr int kJsonDepthLimit = 64;
// The service answers with a few hundred bytes; anything past this is not its answer and is
// refused while it arrives, before it costs memory.
constexpr std::size_t kAnswerLimit = 1024 * 1024;

// Builds the document like the library's own reader and refuses one nested too deeply.
class BoundedReader : public nlohmann::detail::json_sax_dom_parser<Json> {
public:
    explicit BoundedReader(Json& document) : json_sax_dom_parser(document, false) {}

    bool null() { return Value() && json_sax_dom_parser::null(); }
    bool boolean(bool value) { return Value() && json_sax_dom_parser::boolean(value); }
    bool number_integer(Json::number_integer_t value) { return Value() && json_sax_dom_parser::number_integer(value); }
    bool number_unsigned(Json::number_unsigned_t value) {
        return Value() && json_sax_dom_parser::number_unsigned(value);
    }
    bool number_float(Json::number_float_t value, const Json::string_t& text) {
        return Value() && json_sax_dom_parser::number_float(value, text);
    }
    bool string(Json::string_t& value) { return Value() && json_sax_dom_parser::string(value); }
    bool binary(Json::binary_t& value) { return Value() && json_sax_dom_parser::binary(value); }
    bool start_object(std::size_t size) { return Value() && json_sax_dom_parser::start_object(size) && Enter(); }
    bool end_object() {
        --depth_;
        return json_sax_dom_parser::end_object();
    }
    bool start_array(std::size_t size) { return Value() && json_sax_dom_parser::start_array(size) && Enter(); }
    bool end_array() {
        --depth_;
        return json_sax_dom_parser::end_array();
    }

private:
    bool Value() const { return depth_ < kJsonDepthLimit; }
    bool Enter() {
        ++depth_;
        return true;
    }

    int depth_ = 0;  // of the values read next
};

// Comments are skipped and what follows the first complete value is ignored, as the service's
// answers have always been read.
bool ParseJson(const std::string& text, Json& root) {
    BoundedReader reader(root);
    bool parsed = Json::sax_parse(text, &reader, nlohmann::detail::input_format_t::json, false, true);
    return parsed && !reader.is_errored();
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

void TKNoticeRequest::SetAttemptCallback(AttemptCallback callback) {
    std::lock_guard<std::mutex> guard(callbackLock_);
    attemptCallback_ = std::move(callback);
}

void TKNoticeRequest::OnAttempt(int attempt, int maxAttempts) {
    AttemptCallback callback;
    {
        std::lock_guard<std::mutex> guard(callbackLock_);
        callback = attemptCallback_;
    }
    if (callback)
        callback(attempt, maxAttempts);
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
    Json root;
    if (!ParseJson(text, root) || !root.is_object())
        return NoticeResultParseError;
    auto resdata = root.find("resdata");
    if (resdata == root.end() || !resdata->is_array())
        return NoticeResultParseError;
    if (resdata->empty())
        return NoticeResultNoAddress;
    bool found = false;
    std::string chosen;
    for (const Json& element : *resdata) {
        if (!element.is_object())
            continue;
        auto type = element.find("Type");
        auto url = element.find("URL");
        // Entries whose members are missing, null or not text are skipped like foreign types.
        if (type == element.end() || url == element.end() || !type->is_string() || !url->is_string() ||
            type->get_ref<const std::string&>() != kNoticeResourceType)
            continue;
        chosen = url->get<std::string>();
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
