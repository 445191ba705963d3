// The update-address service's answer, any bytes with status 200 (and once with another status).
// Properties: the outcome is one of the defined results, an address comes with success and only
// with it, and no answer crashes the parser or exhausts its stack.
#include "FuzzCheck.h"

#include "notice/TKNoticeRequest.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string body(reinterpret_cast<const char*>(data), size);
    std::string address = "stale";
    RequestNoticeResult result = TKNoticeRequest::InterpretAnswer(body, 200, address);
    FUZZ_CHECK(result == NoticeResultSuccess || result == NoticeResultNoAddress || result == NoticeResultParseError);
    FUZZ_CHECK((result == NoticeResultSuccess) == !address.empty());

    address = "stale";
    FUZZ_CHECK(TKNoticeRequest::InterpretAnswer(body, 404, address) == NoticeResultRequestError);
    FUZZ_CHECK(address.empty());
    return 0;
}
