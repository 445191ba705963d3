#include "shell/LauncherVersion.h"

#include "BuildConfig.h"
#include "base/FileUtilities.h"
#include "shell/InstallLocations.h"

#include <cstdio>

std::string RunningProgramVersionText() {
    // Referencing the marker keeps it in every program that asks for its version.
    static const char* volatile marker = build_config::kFileVersionMarker;
    (void)marker;
    FileVersion version;
    if (!GetFileVersion(GetModulePath(), version))
        version = FileVersion();
    char text[32];
    std::snprintf(text, sizeof(text), "%d.%d.%d.%d", version.major, version.minor, version.build, version.revision);
    return text;
}
