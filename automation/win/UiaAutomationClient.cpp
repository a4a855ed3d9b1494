// The one file that defines the UI Automation class and interface ids.
#include <initguid.h>

#include "automation/win/UiaAutomationClient.h"

#include "automation/win/ProcessModules.h"
#include "base/win/WideText.h"

#include <objbase.h>
#include <oleauto.h>
#include <uiautomationclient.h>

namespace {

// One COM reference; whatever a call left in out() is released with it, which
// for a failed call is nothing (COM clears out-parameters on failure).
template <class T> class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : pointer(other.detach()) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            pointer = other.detach();
        }
        return *this;
    }
    ~ComRef() { reset(); }

    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }
    T** out() {
        reset();
        return &pointer;
    }
    T* detach() {
        T* held = pointer;
        pointer = nullptr;
        return held;
    }
    void reset() {
        if (pointer)
            pointer->Release();
        pointer = nullptr;
    }

  private:
    T* pointer = nullptr;
};

// A BSTR received from a call, freed once.
class ReceivedText {
  public:
    ReceivedText() = default;
    ReceivedText(const ReceivedText&) = delete;
    ReceivedText& operator=(const ReceivedText&) = delete;
    ~ReceivedText() { SysFreeString(text); }

    BSTR* out() { return &text; }
    // Absent for a null BSTR; an empty BSTR is a present, empty text.
    std::optional<String> value() const {
        if (!text)
            return std::nullopt;
        return fromWide(text, static_cast<int>(SysStringLen(text)));
    }

  private:
    BSTR text = nullptr;
};

// A SAFEARRAY received from a call, destroyed once.
class ReceivedArray {
  public:
    ReceivedArray() = default;
    ReceivedArray(const ReceivedArray&) = delete;
    ReceivedArray& operator=(const ReceivedArray&) = delete;
    ~ReceivedArray() {
        if (array)
            SafeArrayDestroy(array);
    }

    SAFEARRAY** out() { return &array; }
    SAFEARRAY* get() const { return array; }

  private:
    SAFEARRAY* array = nullptr;
};

// The element type of this client: one COM reference, released with the last
// handle.
class UiaElement : public AutomationElement {
  public:
    explicit UiaElement(IUIAutomationElement* adopted) : element(adopted) {}
    UiaElement(const UiaElement&) = delete;
    UiaElement& operator=(const UiaElement&) = delete;
    ~UiaElement() override { element->Release(); }

    IUIAutomationElement* const element;
};

// Takes over the reference held by `element`.
AutomationElementPtr adopt(ComRef<IUIAutomationElement>& element) {
    if (!element)
        return nullptr;
    return std::make_shared<UiaElement>(element.detach());
}

IUIAutomationElement* comElement(const AutomationElementPtr& element) {
    auto* uia = dynamic_cast<UiaElement*>(element.get());
    return uia ? uia->element : nullptr;
}

PROPERTYID propertyId(ElementProperty property) {
    switch (property) {
    case ElementProperty::AutomationId:
        return UIA_AutomationIdPropertyId;
    case ElementProperty::Name:
        return UIA_NamePropertyId;
    case ElementProperty::ClassName:
        return UIA_ClassNamePropertyId;
    }
    return UIA_NamePropertyId;
}

ComRef<IUIAutomationCondition> propertyCondition(IUIAutomation* automation,
                                                 const ElementCondition::Term& term) {
    ComRef<IUIAutomationCondition> condition;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(wide(term.value), static_cast<UINT>(term.value.length()));
    if (!value.bstrVal)
        return condition;
    if (FAILED(
            automation->CreatePropertyCondition(propertyId(term.property), value, condition.out())))
        condition.reset();
    VariantClear(&value);
    return condition;
}

// The terms joined left to right with AND, in the order given; no terms match
// every element.
ComRef<IUIAutomationCondition> buildCondition(IUIAutomation* automation,
                                              const ElementCondition& condition) {
    ComRef<IUIAutomationCondition> joined;
    if (condition.terms.empty()) {
        if (FAILED(automation->CreateTrueCondition(joined.out())))
            joined.reset();
        return joined;
    }
    joined = propertyCondition(automation, condition.terms.front());
    for (size_t i = 1; joined && i < condition.terms.size(); ++i) {
        ComRef<IUIAutomationCondition> next = propertyCondition(automation, condition.terms[i]);
        if (!next)
            return ComRef<IUIAutomationCondition>();
        ComRef<IUIAutomationCondition> both;
        if (FAILED(automation->CreateAndCondition(joined.get(), next.get(), both.out())))
            both.reset();
        joined = std::move(both);
    }
    return joined;
}

using TextGetter = HRESULT (STDMETHODCALLTYPE IUIAutomationElement::*)(BSTR*);

std::optional<String> readText(const AutomationElementPtr& element, TextGetter getter) {
    IUIAutomationElement* com = comElement(element);
    if (!com)
        return std::nullopt;
    ReceivedText text;
    if (FAILED((com->*getter)(text.out())))
        return std::nullopt;
    return text.value();
}

} // namespace

UiaAutomationClient::UiaAutomationClient(IUIAutomation* automation) : automation(automation) {
    if (automation)
        automation->AddRef();
}

UiaAutomationClient::~UiaAutomationClient() {
    if (walker)
        walker->Release();
    if (automation)
        automation->Release();
}

IUIAutomationTreeWalker* UiaAutomationClient::controlView() {
    if (!walker && automation) {
        ComRef<IUIAutomationTreeWalker> view;
        if (SUCCEEDED(automation->get_ControlViewWalker(view.out())))
            walker = view.detach();
    }
    return walker;
}

AutomationElementPtr UiaAutomationClient::walk(Step step, const AutomationElementPtr& element) {
    IUIAutomationElement* from = comElement(element);
    IUIAutomationTreeWalker* view = from ? controlView() : nullptr;
    if (!view)
        return nullptr;
    ComRef<IUIAutomationElement> to;
    HRESULT result = E_FAIL;
    switch (step) {
    case Step::Parent:
        result = view->GetParentElement(from, to.out());
        break;
    case Step::FirstChild:
        result = view->GetFirstChildElement(from, to.out());
        break;
    case Step::NextSibling:
        result = view->GetNextSiblingElement(from, to.out());
        break;
    }
    if (FAILED(result))
        return nullptr;
    return adopt(to);
}

AutomationElementPtr UiaAutomationClient::root() {
    if (!automation)
        return nullptr;
    ComRef<IUIAutomationElement> desktop;
    if (FAILED(automation->GetRootElement(desktop.out())))
        return nullptr;
    return adopt(desktop);
}

AutomationElementPtr UiaAutomationClient::parent(const AutomationElementPtr& element) {
    return walk(Step::Parent, element);
}

AutomationElementPtr UiaAutomationClient::firstChild(const AutomationElementPtr& element) {
    return walk(Step::FirstChild, element);
}

AutomationElementPtr UiaAutomationClient::nextSibling(const AutomationElementPtr& element) {
    return walk(Step::NextSibling, element);
}

std::vector<AutomationElementPtr>
UiaAutomationClient::findChildren(const AutomationElementPtr& element,
                                  const ElementCondition& condition) {
    IUIAutomationElement* parent = comElement(element);
    if (!automation || !parent)
        return {};
    ComRef<IUIAutomationCondition> test = buildCondition(automation, condition);
    if (!test)
        return {};
    ComRef<IUIAutomationElementArray> found;
    if (FAILED(parent->FindAll(TreeScope_Children, test.get(), found.out())) || !found)
        return {};
    int length = 0;
    if (FAILED(found->get_Length(&length)) || length <= 0)
        return {};
    std::vector<AutomationElementPtr> children;
    children.reserve(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        ComRef<IUIAutomationElement> child;
        // An entry that cannot be read fails the whole answer; the children
        // taken so far go with the list.
        if (FAILED(found->GetElement(i, child.out())) || !child)
            return {};
        children.push_back(adopt(child));
    }
    return children;
}

AutomationElementPtr UiaAutomationClient::elementAtPoint(int x, int y) {
    if (!automation)
        return nullptr;
    ComRef<IUIAutomationElement> hit;
    if (FAILED(automation->ElementFromPoint(POINT{x, y}, hit.out())))
        return nullptr;
    return adopt(hit);
}

bool UiaAutomationClient::sameElement(const AutomationElementPtr& a,
                                      const AutomationElementPtr& b) {
    IUIAutomationElement* first = comElement(a);
    IUIAutomationElement* second = comElement(b);
    if (!automation || !first || !second)
        return false;
    BOOL same = FALSE;
    return SUCCEEDED(automation->CompareElements(first, second, &same)) && same;
}

std::optional<String> UiaAutomationClient::name(const AutomationElementPtr& element) {
    return readText(element, &IUIAutomationElement::get_CurrentName);
}

std::optional<String> UiaAutomationClient::className(const AutomationElementPtr& element) {
    return readText(element, &IUIAutomationElement::get_CurrentClassName);
}

std::optional<String> UiaAutomationClient::automationId(const AutomationElementPtr& element) {
    return readText(element, &IUIAutomationElement::get_CurrentAutomationId);
}

std::optional<uint32_t> UiaAutomationClient::processId(const AutomationElementPtr& element) {
    IUIAutomationElement* com = comElement(element);
    int id = 0;
    if (!com || FAILED(com->get_CurrentProcessId(&id)))
        return std::nullopt;
    return static_cast<uint32_t>(id);
}

uintptr_t UiaAutomationClient::nativeWindow(const AutomationElementPtr& element) {
    IUIAutomationElement* com = comElement(element);
    UIA_HWND window = nullptr;
    if (!com || FAILED(com->get_CurrentNativeWindowHandle(&window)))
        return 0;
    return reinterpret_cast<uintptr_t>(window);
}

std::optional<ElementRect> UiaAutomationClient::boundingRect(const AutomationElementPtr& element) {
    IUIAutomationElement* com = comElement(element);
    RECT rect = {};
    if (!com || FAILED(com->get_CurrentBoundingRectangle(&rect)))
        return std::nullopt;
    return ElementRect{rect.left, rect.top, rect.right, rect.bottom};
}

std::vector<int32_t> UiaAutomationClient::runtimeId(const AutomationElementPtr& element) {
    IUIAutomationElement* com = comElement(element);
    if (!com)
        return {};
    ReceivedArray ids;
    if (FAILED(com->GetRuntimeId(ids.out())) || !ids.get())
        return {};
    SAFEARRAY* array = ids.get();
    LONG lower = 0;
    LONG upper = -1;
    // Only a list of 32-bit numbers can be read as one.
    if (SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != sizeof(int32_t) ||
        FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper)) || lower > upper)
        return {};
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)))
        return {};
    const auto* first = static_cast<const int32_t*>(data);
    std::vector<int32_t> result(first, first + (static_cast<int64_t>(upper) - lower + 1));
    SafeArrayUnaccessData(array);
    return result;
}

std::optional<ProcessModule> UiaAutomationClient::processModule(uint32_t processId) {
    return firstModuleOf(processId);
}

std::unique_ptr<AutomationClient> createUiAutomationClient() {
    IUIAutomation* automation = nullptr;
    if (FAILED(CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IUIAutomation, reinterpret_cast<void**>(&automation))) ||
        !automation)
        return nullptr;
    auto client = std::make_unique<UiaAutomationClient>(automation);
    automation->Release();
    return client;
}
