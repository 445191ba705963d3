#include "platform/CodePage.h"

#include "platform/Utf8Repair.h"

namespace platform {

std::string AnsiToText(const std::string& bytes) {
    return ReplaceInvalidUtf8(bytes);
}

std::string TextToAnsi(const std::string& text) {
    return ReplaceInvalidUtf8(text);
}

}  // namespace platform
