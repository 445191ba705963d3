#pragma once

#include <string>

// The launcher process: its one start-up routine. It reserves the single-instance name, keeps a
// copy of the running launcher (and of the entrance program it restarts through) in the per-user
// folder with a desktop link to that copy and the icon in the player's icon theme, clears the
// previous launch log, and then decides whether this process may show a window at all. Started by
// the entrance program because a restarted launcher could not start, it only says so. Otherwise it
// runs the host window modally; the update controller inside that loop normally ends the process
// itself. No step of the start-up reports an error: whatever fails is skipped.
class CTolmLauncherApp {
public:
    // User-interface thread, once, with the QApplication made. Always false: there is no message
    // loop to run afterwards, the process just ends.
    bool InitInstance();

    // Writes the desktop link `linkName` to `targetPath` on the user's desktop; nothing when the
    // desktop folder does not exist.
    static void CreateDesktopShortcut(const std::string& targetPath, const std::string& linkName);
};
