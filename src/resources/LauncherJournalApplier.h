#pragma once

#include <string>

// Puts a complete launcher journal (R + "launcher.tmp") in place below R, after the launcher has
// restarted through the entrance program. All files are first written next to their targets and
// only then renamed over them, the launcher manifest last, so a failure part-way leaves a
// launcher that still runs and whose manifest still names what is really installed. The journal
// is deleted afterwards, except one that cannot be read whole: that one is set aside as
// R + "launcher.tmp.unreadable" (with a trace line), so it neither blocks every later start nor
// is lost to whoever looks into it. An incomplete or malformed one is never applied.
enum class JournalApplyResult {
    NoJournal,    // nothing to do
    Applied,      // every record is in place
    NotComplete,  // state byte 0: the download had not finished; nothing applied
    Malformed,    // refused as a whole; nothing applied
    WriteFailed,  // a file could not be written; the old files stay
    SetAside,     // the journal could not be read whole; renamed, nothing applied
};

inline constexpr const char* kUnreadableJournalFileName = "launcher.tmp.unreadable";

JournalApplyResult ApplyLauncherJournal(const std::string& root, int* appliedFiles = nullptr);

// Text for an operator ("applied 3 files", ...).
std::string DescribeJournalApplyResult(JournalApplyResult result);
