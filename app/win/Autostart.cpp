#include "app/win/Autostart.h"

#include "base/win/ProgramPath.h"
#include "base/win/WideText.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

const wchar_t* const runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

} // namespace

namespace Autostart {

bool isEnabled(const String& name) {
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, runKey, &key) != ERROR_SUCCESS)
        return false;
    LONG rc = RegQueryValueExW(key, wide(name), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void setRunValue(const String& name, bool enable) {
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, runKey, &key) != ERROR_SUCCESS &&
        RegCreateKeyW(HKEY_CURRENT_USER, runKey, &key) != ERROR_SUCCESS)
        return;
    if (enable) {
        String data = String::format(u"\"%s\"", programPath());
        // REG_SZ data carries its terminating zero; readers that trust the stored
        // size would otherwise read past the path.
        RegSetValueExW(key, wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.length() + 1) * 2);
    } else {
        RegDeleteValueW(key, wide(name));
    }
    RegCloseKey(key);
}

void setShortcut(const String& name, bool enable) {
    wchar_t folderBuffer[MAX_PATH + 1] = {};
    String folder = SHGetSpecialFolderPathW(nullptr, folderBuffer, CSIDL_STARTUP, FALSE)
                        ? fromWide(folderBuffer)
                        : String(u"Error");
    String linkPath = folder + String(u"\\");
    if (!name.empty())
        linkPath.append(name);
    linkPath.append(String(u".lnk"));

    if (!enable) {
        DeleteFileW(wide(linkPath));
        return;
    }
    // The first run registers autostart before the program initialises COM
    // itself; make sure the shell link object can be created either way.
    HRESULT init = CoInitialize(nullptr);
    String target = programPath();
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(wide(target));
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            file->Save(wide(linkPath), FALSE);
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
}

} // namespace Autostart
