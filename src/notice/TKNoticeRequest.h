#pragma once

#include "download/AsyncHttpRequest.h"

#include <functional>
#include <mutex>
#include <string>

enum RequestNoticeResult : int {
    NoticeResultSuccess = 1,       // a "pkg" entry with a non-empty URL
    NoticeResultNoAddress = 2,     // "resdata" present but no usable "pkg" entry, or its URL empty
    NoticeResultParseError = 3,    // not JSON, not an object, "resdata" missing, null or no array
    NoticeResultRequestError = 4,  // the transfer did not end with 200
};

// What the launcher tells the update-address service about itself.
struct NoticeRequestParams : AsyncHttpRequest::Parameters {
    std::string deviceId;
    std::string language;
    std::string packageName;
    std::string version;
};

// Asks the update-address service where the CDN is: one POST of a small JSON document (form
// header set, 5 attempts) to the service's base URL; the answer's last "pkg" entry names the
// config address. Answers longer than 1 MiB are refused as they arrive (result 4). The callback runs on the download
// worker thread, exactly once per exchange, with the address (empty unless the result is 1) and the result.
class TKNoticeRequest : public AsyncHttpRequest {
public:
    using NoticeCallback = std::function<void(const std::string& address, RequestNoticeResult result)>;
    using AttemptCallback = std::function<void(int attempt, int maxAttempts)>;

    // `serviceUrl` is the base URL of the service (scheme, host, port; no path).
    explicit TKNoticeRequest(std::string serviceUrl);
    ~TKNoticeRequest() override;

    // Set before a start, not while an exchange runs.
    void SetNoticeCallback(NoticeCallback callback);
    // Optional, set like the notice callback: runs on the worker thread as each attempt of an
    // exchange begins, so the player can see that the service is being asked again.
    void SetAttemptCallback(AttemptCallback callback);

    // Decides the outcome of an answer; pure, callable from any thread.
    static RequestNoticeResult InterpretAnswer(const std::string& body, int transferResult, std::string& address);

protected:
    void BuildRequest(std::string& url, std::string& body) override;
    HttpVerb GetVerb() override { return kVerbPost; }
    // The form header set, although the body is JSON: the service expects it so.
    bool UseJsonContentType() override { return false; }
    int GetMaxAttempts() override { return 5; }
    void OnResponse(std::string body, int result) override;
    void OnAttempt(int attempt, int maxAttempts) override;

private:
    std::string serviceUrl_;
    std::mutex callbackLock_;
    NoticeCallback callback_;
    AttemptCallback attemptCallback_;
};
