#include "dialogs/win/LiveRegion.h"

#include "base/win/WideText.h"

#include <oleacc.h>

namespace {

// Spelled out here: MinGW's headers declare them without a library that
// defines them.
const GUID accPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const GUID accPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
// UI Automation's LiveSetting property (UIA_LiveSettingPropertyId 30135).
const GUID liveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
// PROPID_ACC_NAME: the name screen readers read out for the live region.
const GUID nameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

// NotificationKind_Other, NotificationProcessing_ImportantMostRecent.
constexpr int notificationKindOther = 4;
constexpr int importantMostRecent = 1;

// The host provider is an IRawElementProviderSimple; only IUnknown is used here.
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotification = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

struct UiaFunctions {
    HostProviderFromHwnd hostProvider = nullptr;
    RaiseNotification raiseNotification = nullptr;
};

// Looked up once; the library stays loaded for the life of the process.
const UiaFunctions& uiaFunctions() {
    static const UiaFunctions functions = [] {
        UiaFunctions found;
        HMODULE core = LoadLibraryW(L"uiautomationcore.dll");
        if (!core)
            return found;
        found.hostProvider = reinterpret_cast<HostProviderFromHwnd>(
            reinterpret_cast<void*>(GetProcAddress(core, "UiaHostProviderFromHwnd")));
        found.raiseNotification = reinterpret_cast<RaiseNotification>(
            reinterpret_cast<void*>(GetProcAddress(core, "UiaRaiseNotificationEvent")));
        return found;
    }();
    return functions;
}

void raiseNotification(HWND window, const String& text, const wchar_t* activityId) {
    const UiaFunctions& uia = uiaFunctions();
    if (!uia.hostProvider || !uia.raiseNotification)
        return;
    IUnknown* provider = nullptr;
    if (FAILED(uia.hostProvider(window, &provider)) || !provider)
        return;
    BSTR display = SysAllocString(wide(text));
    BSTR activity = SysAllocString(activityId);
    if (display && activity)
        uia.raiseNotification(provider, notificationKindOther, importantMostRecent, display,
                              activity);
    SysFreeString(display);
    SysFreeString(activity);
    provider->Release();
}

} // namespace

void LiveRegion::attach(HWND window) {
    detach();
    dialog = window;
    control = GetDlgItem(window, controlId);
    if (!control)
        return;
    void* services = nullptr;
    if (FAILED(CoCreateInstance(accPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                accPropServicesInterface, &services)) ||
        !services)
        return;
    annotations = static_cast<IAccPropServices*>(services);
    VARIANT setting;
    VariantInit(&setting);
    setting.vt = VT_I4;
    setting.lVal = politeness;
    annotations->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             liveSettingProperty, setting);
}

void LiveRegion::detach() {
    if (annotations) {
        if (control && IsWindow(control)) {
            const MSAAPROPID properties[] = {liveSettingProperty, nameProperty};
            annotations->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        properties, 2);
        }
        annotations->Release();
    }
    annotations = nullptr;
    control = nullptr;
    dialog = nullptr;
}

void LiveRegion::showText(const String& text) {
    if (control)
        SetWindowTextW(control, wide(text));
}

void LiveRegion::announce(const String& text) {
    if (!control)
        return;
    // A read-only edit is named after its label; the region must read its news.
    if (annotations)
        annotations->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                    nameProperty, wide(text));
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control, OBJID_CLIENT, CHILDID_SELF);
    raiseNotification(dialog, text, activityId);
}
