#include "app/win/AppKey.h"

#include "base/win/WideText.h"

HKEY openAppKey(const String& name, bool create) {
    String path = String(u"Software\\") + name;
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, wide(path), &key) == ERROR_SUCCESS)
        return key;
    key = nullptr;
    if (create && RegCreateKeyW(HKEY_CURRENT_USER, wide(path), &key) == ERROR_SUCCESS)
        return key;
    return nullptr;
}
