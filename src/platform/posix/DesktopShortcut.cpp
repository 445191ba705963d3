#include "platform/DesktopShortcut.h"

#include "platform/FileSystem.h"

#include <sys/stat.h>

namespace platform {
namespace {

// The escapes of a desktop entry's string values; applied last, so readers undo them first.
std::string EscapeValue(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            default:
                escaped.push_back(c);
        }
    }
    return escaped;
}

// The Exec= value that runs `program` without arguments.
std::string DesktopExecValue(const std::string& program) {
    // Quoting of one argument, then field codes ("%" doubled), then the value escapes.
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
        if (c == '%')
            quoted.push_back('%');
    }
    quoted.push_back('"');
    return EscapeValue(quoted);
}

}  // namespace

bool WriteDesktopShortcut(const std::string& desktopFolder, const std::string& title, const std::string& targetPath) {
    if (desktopFolder.empty() || !FolderExists(desktopFolder))
        return false;
    std::string path = desktopFolder;
    if (path.back() != '/')
        path.push_back('/');
    path += title + kDesktopShortcutSuffix;
    std::string entry = "[Desktop Entry]\nType=Application\nName=" + EscapeValue(title) +
                        "\nExec=" + DesktopExecValue(targetPath) + "\nTerminal=false\n";
    return WriteFileAtomically(path, entry) && ::chmod(path.c_str(), 0755) == 0;
}

}  // namespace platform
