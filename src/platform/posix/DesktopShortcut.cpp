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

// One argument of an Exec= value: quoted, with field codes ("%" doubled); the value escapes
// come last, over the whole line.
std::string ExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
        if (c == '%')
            quoted.push_back('%');
    }
    quoted.push_back('"');
    return quoted;
}

std::string ExecValue(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = ExecArgument(program);
    for (const std::string& argument : arguments)
        line += " " + ExecArgument(argument);
    return EscapeValue(line);
}

void AppendKey(std::string& text, const char* key, const std::string& value) {
    if (!value.empty())
        text += std::string(key) + "=" + EscapeValue(value) + "\n";
}

}  // namespace

std::string FormatDesktopEntry(const DesktopEntry& entry) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    AppendKey(text, "Name", entry.name);
    text += "Exec=" + ExecValue(entry.program, {}) + "\n";
    AppendKey(text, "Icon", entry.icon);
    text += "Terminal=false\n";
    AppendKey(text, "StartupWMClass", entry.startupWmClass);
    AppendKey(text, "Categories", entry.categories);
    if (!entry.actions.empty()) {
        text += "Actions=";
        for (const DesktopAction& action : entry.actions)
            text += action.id + ";";
        text += "\n";
    }
    for (const DesktopAction& action : entry.actions) {
        text += "\n[Desktop Action " + action.id + "]\n";
        AppendKey(text, "Name", action.name);
        text += "Exec=" + ExecValue(entry.program, action.arguments) + "\n";
    }
    return text;
}

bool WriteDesktopShortcut(const std::string& desktopFolder, const std::string& title, const DesktopEntry& entry) {
    if (desktopFolder.empty() || !FolderExists(desktopFolder))
        return false;
    std::string path = desktopFolder;
    if (path.back() != '/')
        path.push_back('/');
    path += title + kDesktopShortcutSuffix;
    return WriteFileAtomically(path, FormatDesktopEntry(entry)) && ::chmod(path.c_str(), 0755) == 0;
}

}  // namespace platform
