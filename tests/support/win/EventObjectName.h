#pragma once

#include <windows.h>

#include <oleacc.h>

// The accessible name of the object a WinEvent reports (what a screen reader
// reads for it), or null when it has none. Free it with SysFreeString.
inline BSTR eventObjectName(HWND window, LONG object, LONG child) {
    IAccessible* accessible = nullptr;
    VARIANT item;
    VariantInit(&item);
    BSTR name = nullptr;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, static_cast<DWORD>(object),
                                            static_cast<DWORD>(child), &accessible, &item)) &&
        accessible) {
        accessible->get_accName(item, &name);
        accessible->Release();
    }
    VariantClear(&item);
    return name;
}
