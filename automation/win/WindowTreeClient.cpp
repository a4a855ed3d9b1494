#include "automation/win/WindowTreeClient.h"

#include "automation/Mnemonic.h"
#include "automation/win/ProcessModules.h"
#include "base/win/WideText.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

// UI Automation's root is "Desktop 1"; callers stop title scans at names that
// begin with "Desktop".
const char16_t* const rootName = u"Desktop 1";
// The first entry of UI Automation's runtime id for elements of a window handle.
constexpr int32_t windowRuntimeIdTag = 42;
// Other processes answer WM_GETTEXT in this time or are read without asking.
constexpr UINT textTimeoutMs = 500;
// A name is never longer than this; longer texts are content, not names.
constexpr int nameLimit = 65536;
// Room of the first read of a text, which holds every usual name.
constexpr int firstTextRoom = 1024;
// Z-order can change while we step through it; a walk never takes more steps.
constexpr int siblingStepLimit = 100000;
// The program's own frame and other overlays let every click through.
constexpr LONG_PTR clickThrough = WS_EX_LAYERED | WS_EX_TRANSPARENT;

class WindowElement : public AutomationElement {
  public:
    explicit WindowElement(HWND window) : window(window) {}
    const HWND window;
};

// The live window of an element of this client; null for none, for elements of
// other clients and for destroyed windows.
HWND windowOf(const AutomationElementPtr& element) {
    auto* windowElement = dynamic_cast<const WindowElement*>(element.get());
    if (!windowElement || !IsWindow(windowElement->window))
        return nullptr;
    return windowElement->window;
}

bool isTopLevel(HWND window) {
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow();
}

LONG_PTR styleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

bool isClickThrough(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & clickThrough) == clickThrough;
}

String classOf(HWND window) {
    wchar_t text[257] = {};
    const int n = GetClassNameW(window, text, 257);
    return fromWide(text, n > 0 ? n : 0);
}

bool sameClass(const String& a, const char16_t* b) {
    const String other(b);
    if (a.length() != other.length())
        return false;
    for (int i = 0; i < a.length(); ++i)
        if (std::towlower(a[i]) != std::towlower(other[i]))
            return false;
    return true;
}

// The text the window holds. Other processes' controls are asked with
// WM_GETTEXT (GetWindowTextW does not read them); a window that does not
// answer in time gives the text stored with it. Each message waits for the
// other program's thread: one WM_GETTEXT with room for any name comes first,
// and only a text that fills it is measured with WM_GETTEXTLENGTH and read again.
String textOf(HWND window) {
    std::vector<wchar_t> text(firstTextRoom + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, firstTextRoom,
                            reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, textTimeoutMs,
                            &copied)) {
        text[firstTextRoom] = L'\0';
        if (std::wcslen(text.data()) + 1 < firstTextRoom)
            return fromWide(text.data());
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, textTimeoutMs,
                                &length)) {
            const DWORD_PTR room = (length < nameLimit ? length : nameLimit) + 1;
            text.assign(room + 1, L'\0');
            if (SendMessageTimeoutW(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(text.data()),
                                    SMTO_ABORTIFHUNG, textTimeoutMs, &copied)) {
                text[room] = L'\0';
                return fromWide(text.data());
            }
        }
    }
    wchar_t stored[1024] = {};
    const int n = InternalGetWindowText(window, stored, 1024);
    return fromWide(stored, n > 0 ? n : 0);
}

bool isStatic(const String& className) {
    return sameClass(className, u"Static");
}

// Statics that show text (not icons, bitmaps, frames or owner-drawn ones).
bool isTextStatic(HWND window) {
    switch (styleOf(window) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        return true;
    default:
        return false;
    }
}

// A control's text as it shows it: without the mnemonic marker, except in a
// static that shows '&' as it is.
String shownText(HWND window, const String& className) {
    const String text = textOf(window);
    if (isStatic(className) && (styleOf(window) & SS_NOPREFIX))
        return text;
    return withoutMnemonic(text);
}

// Controls whose window text is what the user typed or chose: UI Automation
// names them by their label, since their content changes.
bool isNamedByLabel(const String& className) {
    return sameClass(className, u"Edit") || sameClass(className, u"ComboBox") ||
           sameClass(className, u"ComboBoxEx32") || className.lower().startsWith(u"richedit");
}

// The text of the nearest visible text static before the control in z-order.
String labelOf(HWND control) {
    HWND sibling = GetWindow(control, GW_HWNDPREV);
    for (int step = 0; sibling && step < siblingStepLimit; ++step) {
        const String className = classOf(sibling);
        if (isStatic(className) && IsWindowVisible(sibling) && isTextStatic(sibling))
            return shownText(sibling, className);
        sibling = GetWindow(sibling, GW_HWNDPREV);
    }
    return String();
}

// The first visible window at or after `window` in z-order.
HWND visibleFrom(HWND window) {
    for (int step = 0; window && step < siblingStepLimit; ++step) {
        if (IsWindowVisible(window))
            return window;
        window = GetWindow(window, GW_HWNDNEXT);
    }
    return nullptr;
}

bool isGroupBox(HWND window) {
    return sameClass(classOf(window), u"Button") && (styleOf(window) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The topmost visible, enabled child of `parent` under the point that lets no
// click through. A group box lies above the controls it frames in z-order, so it
// is taken only when no other child is under the point.
HWND childAt(HWND parent, POINT point) {
    // Children show only inside the client area; elsewhere (a caption, a menu
    // bar, a scroll bar) the parent itself is hit.
    RECT client;
    POINT inClient = point;
    if (!GetClientRect(parent, &client) || !ScreenToClient(parent, &inClient) ||
        !PtInRect(&client, inClient))
        return nullptr;
    HWND groupBox = nullptr;
    HWND child = GetWindow(parent, GW_CHILD);
    for (int step = 0; child && step < siblingStepLimit;
         ++step, child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = styleOf(child);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED) || isClickThrough(child))
            continue;
        RECT rect;
        if (!GetWindowRect(child, &rect) || !PtInRect(&rect, point))
            continue;
        if (!isGroupBox(child))
            return child;
        if (!groupBox)
            groupBox = child;
    }
    return groupBox;
}

// The top-level window under the point, in z-order, passing over windows that
// let clicks through.
HWND topLevelAt(POINT point) {
    HWND hit = WindowFromPoint(point);
    HWND top = hit ? GetAncestor(hit, GA_ROOT) : nullptr;
    if (top && !isClickThrough(top))
        return top;
    HWND window = GetWindow(GetDesktopWindow(), GW_CHILD);
    for (int step = 0; window && step < siblingStepLimit;
         ++step, window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window) || isClickThrough(window))
            continue;
        RECT rect;
        if (GetWindowRect(window, &rect) && PtInRect(&rect, point))
            return window;
    }
    return nullptr;
}

bool satisfies(WindowTreeClient& client, const AutomationElementPtr& element,
               const ElementCondition& condition) {
    for (const ElementCondition::Term& term : condition.terms) {
        std::optional<String> value;
        switch (term.property) {
        case ElementProperty::AutomationId:
            value = client.automationId(element);
            break;
        case ElementProperty::Name:
            value = client.name(element);
            break;
        case ElementProperty::ClassName:
            value = client.className(element);
            break;
        }
        if (!(value.value_or(String()) == term.value))
            return false;
    }
    return true;
}

} // namespace

AutomationElementPtr WindowTreeClient::element(HWND window) {
    if (!window || !IsWindow(window))
        return nullptr;
    return std::make_shared<WindowElement>(window);
}

AutomationElementPtr WindowTreeClient::root() {
    return element(GetDesktopWindow());
}

AutomationElementPtr WindowTreeClient::parent(const AutomationElementPtr& child) {
    HWND window = windowOf(child);
    if (!window || window == GetDesktopWindow())
        return nullptr;
    // The parent, never the owner: owned top-level windows hang under the root.
    return element(GetAncestor(window, GA_PARENT));
}

AutomationElementPtr WindowTreeClient::firstChild(const AutomationElementPtr& parent) {
    HWND window = windowOf(parent);
    if (!window)
        return nullptr;
    return element(visibleFrom(GetWindow(window, GW_CHILD)));
}

AutomationElementPtr WindowTreeClient::nextSibling(const AutomationElementPtr& sibling) {
    HWND window = windowOf(sibling);
    if (!window || window == GetDesktopWindow())
        return nullptr;
    return element(visibleFrom(GetWindow(window, GW_HWNDNEXT)));
}

std::vector<AutomationElementPtr>
WindowTreeClient::findChildren(const AutomationElementPtr& parent,
                               const ElementCondition& condition) {
    std::vector<AutomationElementPtr> found;
    int steps = 0;
    for (AutomationElementPtr child = firstChild(parent); child && steps < siblingStepLimit;
         child = nextSibling(child), ++steps) {
        if (satisfies(*this, child, condition))
            found.push_back(child);
    }
    return found;
}

AutomationElementPtr WindowTreeClient::elementAtPoint(int x, int y) {
    const POINT point{x, y};
    HWND hit = topLevelAt(point);
    if (!hit)
        return nullptr;
    // Down from the top-level window ourselves: WindowFromPoint stops at a group
    // box or label of another thread that lies over the control.
    for (int depth = 0; depth < siblingStepLimit; ++depth) {
        HWND deeper = childAt(hit, point);
        if (!deeper)
            break;
        hit = deeper;
    }
    return element(hit);
}

bool WindowTreeClient::sameElement(const AutomationElementPtr& a, const AutomationElementPtr& b) {
    HWND window = windowOf(a);
    return window && window == windowOf(b);
}

std::optional<String> WindowTreeClient::name(const AutomationElementPtr& target) {
    HWND window = windowOf(target);
    if (!window)
        return std::nullopt;
    if (window == GetDesktopWindow())
        return String(rootName);
    // Captions show no mnemonics: a title keeps every '&'.
    if (isTopLevel(window))
        return textOf(window);
    const String className = classOf(window);
    if (isNamedByLabel(className))
        return labelOf(window);
    return shownText(window, className);
}

std::optional<String> WindowTreeClient::className(const AutomationElementPtr& target) {
    HWND window = windowOf(target);
    if (!window)
        return std::nullopt;
    wchar_t text[257] = {};
    const int n = GetClassNameW(window, text, 257);
    if (n <= 0)
        return std::nullopt;
    return fromWide(text, n);
}

std::optional<String> WindowTreeClient::automationId(const AutomationElementPtr& target) {
    HWND window = windowOf(target);
    if (!window)
        return std::nullopt;
    if (window == GetDesktopWindow() || isTopLevel(window))
        return String();
    return String::format(u"%d", GetDlgCtrlID(window));
}

std::optional<uint32_t> WindowTreeClient::processId(const AutomationElementPtr& target) {
    HWND window = windowOf(target);
    if (!window)
        return std::nullopt;
    DWORD process = 0;
    if (!GetWindowThreadProcessId(window, &process) || process == 0)
        return std::nullopt;
    return process;
}

uintptr_t WindowTreeClient::nativeWindow(const AutomationElementPtr& target) {
    return reinterpret_cast<uintptr_t>(windowOf(target));
}

std::optional<ElementRect> WindowTreeClient::boundingRect(const AutomationElementPtr& target) {
    HWND window = windowOf(target);
    RECT rect;
    if (!window || !GetWindowRect(window, &rect))
        return std::nullopt;
    return ElementRect{rect.left, rect.top, rect.right, rect.bottom};
}

std::vector<int32_t> WindowTreeClient::runtimeId(const AutomationElementPtr& target) {
    HWND window = windowOf(target);
    if (!window)
        return {};
    // Window handles fit 32 bits on 64-bit Windows too.
    return {windowRuntimeIdTag,
            static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)))};
}

std::optional<ProcessModule> WindowTreeClient::processModule(uint32_t processId) {
    return firstModuleOf(processId);
}
