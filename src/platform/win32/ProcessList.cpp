#include "platform/Process.h"

#include "platform/win32/WideText.h"

// The system header first: the others build on its types.
#include <windows.h>

#include <tlhelp32.h>

#include <cwchar>

namespace platform {
namespace {

// One argument as the C runtime's command-line reader gives it back: quoted when it holds a
// blank or a quote, backslashes doubled only before a quote.
std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

// This process's environment with `added` ("NAME=value") replacing variables of the same name
// (compared without regard to case, as Windows does), as CreateProcessW takes it.
std::wstring EnvironmentBlock(const std::vector<std::string>& added) {
    std::vector<std::wstring> entries;
    for (const std::string& entry : added)
        entries.push_back(Widen(entry));
    auto sameName = [](const std::wstring& a, const std::wstring& b) {
        std::size_t equals = a.find(L'=', 1);
        return equals != std::wstring::npos && b.size() > equals && b[equals] == L'=' &&
               ::CompareStringOrdinal(a.c_str(), static_cast<int>(equals), b.c_str(), static_cast<int>(equals), TRUE) ==
                   CSTR_EQUAL;
    };
    std::wstring block;
    if (wchar_t* current = ::GetEnvironmentStringsW()) {
        for (const wchar_t* at = current; *at; at += wcslen(at) + 1) {
            std::wstring entry = at;
            bool replaced = false;
            for (const std::wstring& mine : entries)
                replaced = replaced || sameName(mine, entry);
            if (!replaced)
                block += entry + L'\0';
        }
        ::FreeEnvironmentStringsW(current);
    }
    for (const std::wstring& entry : entries)
        block += entry + L'\0';
    block += L'\0';
    return block;
}

}  // namespace

bool ListProcessImagePaths(std::vector<std::string>& paths) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;  // another user's or a protected process
        wchar_t image[32768];
        DWORD size = sizeof(image) / sizeof(image[0]);
        if (::QueryFullProcessImageNameW(process, 0, image, &size))
            paths.push_back(Narrow(std::wstring(image, size)));
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    return true;
}

bool SpawnDetachedProcess(const std::string& executable,
                          const std::vector<std::string>& arguments,
                          const std::string& workingFolder,
                          int& errorCode,
                          const std::vector<std::string>& environment) {
    std::wstring program = Widen(executable);
    std::wstring line = QuoteArgument(program);
    for (const std::string& argument : arguments)
        line += L" " + QuoteArgument(Widen(argument));
    std::wstring folder = Widen(workingFolder);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // No console for a console program started from a windowed one, its own process group, and
    // no handles inherited: the child outlives us untied.
    DWORD flags = DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT;
    std::wstring block = EnvironmentBlock(environment);
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, flags,
                          environment.empty() ? nullptr : block.data(), folder.empty() ? nullptr : folder.c_str(),
                          &startup, &process)) {
        errorCode = static_cast<int>(::GetLastError());
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    errorCode = 0;
    return true;
}

}  // namespace platform
