#include "resources/ConfigTrust.h"

#include "TrustedKeys.h"
#include "base/FileUtilities.h"
#include "download/DownloadTextProcessor.h"
#include "download/HttpTransfer.h"
#include "platform/Clock.h"

namespace {

// A signature file is four short lines; anything much longer is not one.
constexpr std::size_t kSignatureSizeLimit = 16 * 1024;
constexpr int kSignatureAttempts = 3;
constexpr const char kUtf8Bom[] = "\xEF\xBB\xBF";

// The serial recorded below the root: 0 when there is no file yet; false when the file is there
// but holds no serial (it is then not overwritten on the strength of a guess).
bool ReadRecordedSerial(const std::string& path, std::uint64_t& serial, bool& present) {
    std::string text;
    present = ReadRawFile(path, text);
    serial = 0;
    if (!present)
        return true;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return ConfigTrust::ParseSerial("serial=" + text, serial);
}

}  // namespace

ConfigTrust::ConfigTrust() {
    std::string keys = build_config::kTrustedKeys;
    std::size_t start = 0;
    while (start < keys.size()) {
        std::size_t end = keys.find(';', start);
        std::string line = keys.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty()) {
            required_ = true;
            MinisignPublicKey key;
            std::string error;
            if (ParseMinisignPublicKey(line, key, error))
                keys_.push_back(key);
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

void ConfigTrust::AddKey(const MinisignPublicKey& key) {
    keys_.push_back(key);
    required_ = true;
}

bool ConfigTrust::ParseSerial(const std::string& trustedComment, std::uint64_t& serial) {
    const std::string prefix = "serial=";
    if (trustedComment.compare(0, prefix.size(), prefix) != 0 || trustedComment.size() == prefix.size())
        return false;
    std::uint64_t value = 0;
    for (std::size_t i = prefix.size(); i < trustedComment.size(); ++i) {
        char c = trustedComment[i];
        if (c < '0' || c > '9')
            return false;
        std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    serial = value;
    return true;
}

bool ConfigTrust::Accept(const std::string& config,
                         const std::string& signatureText,
                         const std::string& serialPath,
                         std::string& reason) const {
    MinisignSignature signature;
    std::string error;
    if (!ParseMinisignSignature(signatureText, signature, error)) {
        reason = "the signature file is malformed: " + error;
        return false;
    }
    const MinisignPublicKey* signer = nullptr;
    for (const MinisignPublicKey& key : keys_) {
        if (key.keyId == signature.keyId)
            signer = &key;
    }
    if (!signer) {
        reason = "signed by key " + MinisignKeyIdText(signature.keyId) + ", which is not trusted";
        return false;
    }
    MinisignVerdict verdict = MinisignVerify(*signer, signature, config);
    // The config reaches this check without a leading byte-order mark; a config published with
    // one was signed with it.
    if (verdict == kMinisignBadSignature)
        verdict = MinisignVerify(*signer, signature, kUtf8Bom + config);
    if (verdict == kMinisignBadSignature) {
        reason = "the signature by key " + MinisignKeyIdText(signature.keyId) + " does not match the config's bytes";
        return false;
    }
    if (verdict != kMinisignValid) {
        reason = "the trusted comment is not the one signed (global signature fails)";
        return false;
    }
    std::uint64_t serial = 0;
    if (!ParseSerial(signature.trustedComment, serial)) {
        reason = "the trusted comment is not \"serial=N\": " + signature.trustedComment;
        return false;
    }
    std::uint64_t recorded = 0;
    bool present = false;
    if (!ReadRecordedSerial(serialPath, recorded, present)) {
        reason = "the recorded serial in " + serialPath + " is unreadable";
        return false;
    }
    if (serial < recorded) {
        reason = "serial " + std::to_string(serial) + " is lower than serial " + std::to_string(recorded) +
                 " accepted before (an older version replayed)";
        return false;
    }
    if ((serial > recorded || !present) && !ReplaceFileContent(serialPath, std::to_string(serial) + "\n")) {
        reason = "serial " + std::to_string(serial) + " cannot be recorded in " + serialPath;
        return false;
    }
    return true;
}

bool ConfigTrust::FetchAndAccept(const std::string& configAddress,
                                 const std::string& config,
                                 const std::string& root,
                                 const DownloadTimings& timings,
                                 std::string& reason) const {
    std::string url = configAddress + kSignatureSuffix + "?r=" + platform::FormatLocalTimeNow("%Y%m%d%H%M%S");
    DownloadTaskInfo task;
    task.url = url;
    DownloadTextProcessor processor(task);
    processor.SetSizeLimit(kSignatureSizeLimit);
    HttpTransfer transfer;
    transfer.UseFormHeaders();
    transfer.SetMaxAttempts(kSignatureAttempts);
    transfer.SetTimings(timings);
    int result = transfer.Transfer(url, &processor, kVerbGet, std::string(), -1, 0);
    std::string signatureText;
    if (result != kTransferOk || !processor.GetContent(signatureText)) {
        reason = "no signature at " + url + " (result " + std::to_string(result) + ")";
        return false;
    }
    return Accept(config, signatureText, root + kSerialFileName, reason);
}
