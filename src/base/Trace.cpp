#include "base/Trace.h"

#include "platform/CodePage.h"
#include "platform/DebugOutput.h"

void TraceLine(const std::string& text) {
    platform::WriteDebugOutput(platform::TextToAnsi(text + "\r\n"));
}
