#include "automation/win/ProcessModules.h"

#include "base/win/WideText.h"

#include <psapi.h>

namespace {

constexpr DWORD queryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; // 0x410
constexpr DWORD pathLimit = 260;
constexpr DWORD imagePathLimit = 32767; // the longest path Windows knows

} // namespace

std::vector<DWORD> runningProcessIds() {
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!EnumProcesses(ids.data(), capacity, &bytes))
            return {};
        // A full buffer may have cut the list: try again with more room.
        if (bytes < capacity || ids.size() >= (1u << 20)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

std::optional<String> firstModuleBaseName(DWORD processId) {
    HANDLE process = OpenProcess(queryAndRead, FALSE, processId);
    if (!process)
        return std::nullopt;
    // The executable's path as the system keeps it: unlike the module list, it
    // needs no reads of the other process's memory, each a trip through the
    // server under Wine (tens of milliseconds on a busy machine).
    std::optional<String> baseName;
    std::vector<wchar_t> path(imagePathLimit + 1, L'\0');
    DWORD length = imagePathLimit;
    if (QueryFullProcessImageNameW(process, 0, path.data(), &length)) {
        const wchar_t* name = path.data();
        for (const wchar_t* c = path.data(); *c; ++c)
            if (*c == L'\\' || *c == L'/')
                name = c + 1;
        baseName = fromWide(name);
    }
    CloseHandle(process);
    return baseName;
}

std::optional<ProcessModule> firstModuleOf(DWORD processId) {
    HANDLE process = OpenProcess(queryAndRead, FALSE, processId);
    if (!process)
        return std::nullopt;
    std::optional<ProcessModule> module;
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (EnumProcessModules(process, &first, sizeof(first), &needed)) {
        wchar_t name[pathLimit + 1] = {};
        wchar_t path[pathLimit + 1] = {};
        GetModuleBaseNameW(process, first, name, pathLimit);
        GetModuleFileNameExW(process, first, path, pathLimit);
        module = ProcessModule{fromWide(name), fromWide(path)};
    }
    CloseHandle(process);
    return module;
}
