// The launcher journal reader, any bytes. Properties: a journal is accepted only when every byte
// is accounted for (its records written out again give exactly the input), every path is a safe
// name, and a complete journal ends with the launcher manifest; a refused one yields no record.
#include "FuzzCheck.h"

#include "base/SafePath.h"
#include "platform/CodePage.h"
#include "resources/LauncherJournal.h"
#include "resources/ManifestFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void AppendLength(std::string& out, std::size_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<LauncherJournalRecord> records;
    LauncherJournalStatus status = ParseLauncherJournal(bytes, records);
    if (status != LauncherJournalStatus::Complete && status != LauncherJournalStatus::Incomplete) {
        FUZZ_CHECK(records.empty());
        return 0;
    }
    std::string rewritten(1, status == LauncherJournalStatus::Complete ? '\1' : '\0');
    for (const LauncherJournalRecord& record : records) {
        FUZZ_CHECK(IsSafeResourceName(record.path));
        std::string path = platform::TextToAnsi(record.path);
        AppendLength(rewritten, path.size());
        rewritten += path;
        AppendLength(rewritten, record.content.size());
        rewritten += record.content;
    }
    FUZZ_CHECK(rewritten == bytes);
    if (status == LauncherJournalStatus::Complete)
        FUZZ_CHECK(!records.empty() && records.back().path == kLauncherManifestFileName);
    return 0;
}
