#include "resources/LauncherJournalApplier.h"

#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "base/Trace.h"
#include "platform/FileSystem.h"
#include "resources/LauncherJournal.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* kStagingSuffix = ".journal-new";

}  // namespace

JournalApplyResult ApplyLauncherJournal(const std::string& root, int* appliedFiles) {
    if (appliedFiles)
        *appliedFiles = 0;
    std::string journalPath = root + kLauncherJournalFileName;
    // Anything under the name counts, also what no one can open: it is set aside below.
    if (platform::FileSize(journalPath) < 0)
        return JournalApplyResult::NoJournal;
    std::vector<LauncherJournalRecord> records;
    LauncherJournalStatus status = ReadLauncherJournal(journalPath, records);
    if (status == LauncherJournalStatus::Unreadable) {
        std::string aside = root + kUnreadableJournalFileName;
        platform::RemoveFile(aside);
        bool renamed = platform::RenameFile(journalPath, aside);
        TraceLine(std::string("launcher journal: cannot be read whole, ") +
                  (renamed ? "set aside as\t" + aside : "and cannot be set aside\t" + journalPath));
        if (!renamed)
            DeleteFileIfExists(journalPath);
        return JournalApplyResult::SetAside;
    }
    JournalApplyResult result = JournalApplyResult::Applied;
    if (status == LauncherJournalStatus::Incomplete)
        result = JournalApplyResult::NotComplete;
    else if (status != LauncherJournalStatus::Complete)
        result = JournalApplyResult::Malformed;

    std::vector<std::string> targets;
    if (result == JournalApplyResult::Applied) {
        // A name that appears twice is applied with its last content.
        for (const LauncherJournalRecord& record : records) {
            std::string target;
            if (!ResolveResourcePath(root, record.path, target)) {
                result = JournalApplyResult::Malformed;
                break;
            }
            std::string folder;
            if (ParentFolder(target, folder))
                CreateFolderChain(folder);
            if (!platform::WriteWholeFile(target + kStagingSuffix, record.content)) {
                TraceLine("launcher journal: cannot write\t" + target);
                result = JournalApplyResult::WriteFailed;
                break;
            }
            if (std::find(targets.begin(), targets.end(), target) == targets.end())
                targets.push_back(target);
        }
    }
    if (result == JournalApplyResult::Applied) {
        for (const std::string& target : targets) {
            if (!platform::RenameFile(target + kStagingSuffix, target)) {
                TraceLine("launcher journal: cannot replace\t" + target);
                result = JournalApplyResult::WriteFailed;
                break;
            }
            if (appliedFiles)
                ++*appliedFiles;
        }
    }
    for (const std::string& target : targets)
        DeleteFileIfExists(target + kStagingSuffix);
    DeleteFileIfExists(journalPath);
    return result;
}

std::string DescribeJournalApplyResult(JournalApplyResult result) {
    switch (result) {
        case JournalApplyResult::NoJournal:
            return "no launcher journal";
        case JournalApplyResult::Applied:
            return "launcher journal applied";
        case JournalApplyResult::NotComplete:
            return "launcher journal incomplete; discarded";
        case JournalApplyResult::Malformed:
            return "launcher journal malformed; discarded";
        case JournalApplyResult::WriteFailed:
            return "launcher journal could not be written; the old launcher files stay";
        case JournalApplyResult::SetAside:
            return std::string("launcher journal could not be read whole; set aside as ") + kUnreadableJournalFileName;
    }
    return std::string();
}
