#include "tests/support/win/FakeUiAutomation.h"

#include "base/win/WideText.h"

#include <objbase.h>
#include <oleauto.h>
#include <uiautomationclient.h>

#include <algorithm>

namespace {

constexpr HRESULT elementNotAvailable =
    static_cast<HRESULT>(0x80040201); // UIA_E_ELEMENTNOTAVAILABLE

std::string narrow(const String& text) {
    std::string result;
    for (int i = 0; i < text.length(); ++i)
        result += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return result;
}

std::wstring wideText(const String& text) {
    return std::wstring(wide(text), static_cast<size_t>(text.length()));
}

} // namespace

// References and the call books every object shares. Objects start with one
// reference, the caller's.
class FakeUiAutomation::Object {
  public:
    Object(FakeUiAutomation& fake, std::string kind) : fake(fake), kind(std::move(kind)) {}
    virtual ~Object() = default;

    ULONG addRef() {
        if (refs == 0) {
            fake.misuse(kind + ": AddRef after its last Release");
            return 0;
        }
        return ++refs;
    }
    ULONG release() {
        if (refs == 0) {
            fake.misuse(kind + ": released more often than referenced");
            return 0;
        }
        if (--refs == 0)
            lastRelease();
        return refs;
    }
    HRESULT query(REFIID riid, void** object, REFIID own, void* self) {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != own)
            return E_NOINTERFACE;
        *object = self;
        addRef();
        return S_OK;
    }
    // Books a method call; false when it is the call to fail or the object was
    // released already.
    bool enter(const char* method) {
        ++fake.calls;
        ++fake.callsByMethod[method];
        if (refs == 0) {
            fake.misuse(kind + ": " + method + " called after its last Release");
            return false;
        }
        return fake.calls != fake.failingCall;
    }
    HRESULT notImplemented(const char* method) {
        fake.misuse(kind + ": " + method + " is not implemented");
        return E_NOTIMPL;
    }

    FakeUiAutomation& fake;
    const std::string kind;
    ULONG refs = 1;

  protected:
    // Gives back what the object holds.
    virtual void lastRelease() {}
};

#define FAKE_UNKNOWN(Interface)                                                                    \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {                \
        return query(riid, object, __uuidof(Interface), static_cast<Interface*>(this));            \
    }                                                                                              \
    ULONG STDMETHODCALLTYPE AddRef() override {                                                    \
        return addRef();                                                                           \
    }                                                                                              \
    ULONG STDMETHODCALLTYPE Release() override {                                                   \
        return release();                                                                          \
    }

#define NOT_IMPLEMENTED(method, ...)                                                               \
    HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override {                                       \
        return notImplemented(#method);                                                            \
    }

class FakeUiAutomation::Condition : public IUIAutomationCondition, public Object {
  public:
    using Interface = IUIAutomationCondition;
    enum class Kind { True, Property, And };

    Condition(FakeUiAutomation& fake, Kind type)
        : Object(fake, "IUIAutomationCondition"), type(type) {
        VariantInit(&value);
    }
    ~Condition() override { VariantClear(&value); }
    FAKE_UNKNOWN(IUIAutomationCondition)

    std::wstring text() const {
        switch (type) {
        case Kind::True:
            return L"True";
        case Kind::Property:
            return std::to_wstring(property) + L"=\"" + wideText(valueText()) + L"\"";
        case Kind::And:
            return L"And(" + operands[0]->text() + L"," + operands[1]->text() + L")";
        }
        return std::wstring();
    }

    // The terms of the condition in the order they were joined.
    void addTerms(ElementCondition& condition) const {
        if (type == Kind::And) {
            operands[0]->addTerms(condition);
            operands[1]->addTerms(condition);
        } else if (type == Kind::Property) {
            ElementProperty which =
                property == UIA_AutomationIdPropertyId ? ElementProperty::AutomationId
                : property == UIA_ClassNamePropertyId  ? ElementProperty::ClassName
                                                       : ElementProperty::Name;
            condition.terms.push_back({which, valueText()});
        }
    }

    const Kind type;
    PROPERTYID property = 0;
    VARIANT value;
    Condition* operands[2] = {};

  protected:
    void lastRelease() override {
        VariantClear(&value);
        for (Condition* operand : operands) {
            if (operand)
                operand->release();
        }
    }

  private:
    String valueText() const {
        return fromWide(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)));
    }
};

class FakeUiAutomation::ElementArray : public IUIAutomationElementArray, public Object {
  public:
    using Interface = IUIAutomationElementArray;

    explicit ElementArray(FakeUiAutomation& fake) : Object(fake, "IUIAutomationElementArray") {}
    FAKE_UNKNOWN(IUIAutomationElementArray)

    HRESULT STDMETHODCALLTYPE get_Length(int* length) override;
    HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationElement** element) override;

    std::vector<Element*> elements;

  protected:
    void lastRelease() override;
};

class FakeUiAutomation::Element : public IUIAutomationElement, public Object {
  public:
    using Interface = IUIAutomationElement;

    Element(FakeUiAutomation& fake, AutomationElementPtr node, std::string kind)
        : Object(fake, std::move(kind)), node(std::move(node)) {}
    FAKE_UNKNOWN(IUIAutomationElement)

    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** ids) override {
        if (!ids)
            return E_POINTER;
        *ids = nullptr;
        if (!enter("GetRuntimeId"))
            return E_FAIL;
        std::vector<int32_t> id = fake.tree.runtimeId(node);
        if (id.empty() && FAILED(fake.queryResult(node)))
            return fake.queryResult(node);
        SAFEARRAY* array =
            SafeArrayCreateVector(VT_I4, fake.runtimeIdLowerBound, static_cast<ULONG>(id.size()));
        if (!array)
            return E_OUTOFMEMORY;
        fake.memory.label(array, "SAFEARRAY from GetRuntimeId");
        void* data = nullptr;
        if (!id.empty() && SUCCEEDED(SafeArrayAccessData(array, &data))) {
            std::copy(id.begin(), id.end(), static_cast<int32_t*>(data));
            SafeArrayUnaccessData(array);
        }
        *ids = array;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE FindAll(enum TreeScope scope, IUIAutomationCondition* condition,
                                      IUIAutomationElementArray** found) override {
        if (!found)
            return E_POINTER;
        *found = nullptr;
        if (!enter("FindAll"))
            return E_FAIL;
        if (scope != TreeScope_Children) {
            fake.misuse("FindAll: scope " + std::to_string(scope) + " instead of the children");
            return E_INVALIDARG;
        }
        Condition* test = fake.conditionOf(condition, "FindAll");
        if (!test)
            return E_INVALIDARG;
        fake.searchedConditions.push_back(test->text());
        ElementCondition terms;
        test->addTerms(terms);
        std::vector<AutomationElementPtr> children = fake.tree.findChildren(node, terms);
        if (children.empty() && FAILED(fake.queryResult(node)))
            return fake.queryResult(node);
        ElementArray* array = fake.make<ElementArray>();
        for (const AutomationElementPtr& child : children)
            array->elements.push_back(fake.newElement(child));
        *found = array;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_CurrentProcessId(int* id) override {
        if (!id)
            return E_POINTER;
        *id = 0;
        if (!enter("get_CurrentProcessId"))
            return E_FAIL;
        std::optional<uint32_t> process = fake.tree.processId(node);
        if (!process)
            return failure();
        *id = static_cast<int>(*process);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_CurrentName(BSTR* name) override {
        return text("get_CurrentName", &MemoryAutomation::name, name);
    }
    HRESULT STDMETHODCALLTYPE get_CurrentAutomationId(BSTR* id) override {
        return text("get_CurrentAutomationId", &MemoryAutomation::automationId, id);
    }
    HRESULT STDMETHODCALLTYPE get_CurrentClassName(BSTR* name) override {
        return text("get_CurrentClassName", &MemoryAutomation::className, name);
    }

    HRESULT STDMETHODCALLTYPE get_CurrentNativeWindowHandle(UIA_HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = nullptr;
        if (!enter("get_CurrentNativeWindowHandle"))
            return E_FAIL;
        uintptr_t handle = fake.tree.nativeWindow(node);
        if (!handle && FAILED(fake.queryResult(node)))
            return fake.queryResult(node);
        *window = reinterpret_cast<UIA_HWND>(handle);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_CurrentBoundingRectangle(RECT* rect) override {
        if (!rect)
            return E_POINTER;
        *rect = RECT{};
        if (!enter("get_CurrentBoundingRectangle"))
            return E_FAIL;
        std::optional<ElementRect> bounds = fake.tree.boundingRect(node);
        if (!bounds)
            return failure();
        *rect = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
        return S_OK;
    }

    const AutomationElementPtr node;

  private:
    // The error of a query that must answer: the element is gone or the query
    // was the one to fail.
    HRESULT failure() const {
        HRESULT result = fake.queryResult(node);
        return FAILED(result) ? result : E_FAIL;
    }

    // A text property; a null BSTR when the tree has no value at all.
    HRESULT text(const char* method,
                 std::optional<String> (MemoryAutomation::*read)(const AutomationElementPtr&),
                 BSTR* out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!enter(method))
            return E_FAIL;
        std::optional<String> value = (fake.tree.*read)(node);
        if (!value)
            return fake.queryResult(node);
        *out = SysAllocStringLen(wide(*value), static_cast<UINT>(value->length()));
        if (!*out)
            return E_OUTOFMEMORY;
        fake.memory.label(*out, std::string("BSTR from ") + method);
        return S_OK;
    }

  public:
    // IUIAutomationElement methods the client does not use
    NOT_IMPLEMENTED(SetFocus)
    NOT_IMPLEMENTED(FindFirst, enum TreeScope, IUIAutomationCondition*, IUIAutomationElement**)
    NOT_IMPLEMENTED(FindFirstBuildCache, enum TreeScope, IUIAutomationCondition*,
                    IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(FindAllBuildCache, enum TreeScope, IUIAutomationCondition*,
                    IUIAutomationCacheRequest*, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(BuildUpdatedCache, IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetCurrentPropertyValue, PROPERTYID, VARIANT*)
    NOT_IMPLEMENTED(GetCurrentPropertyValueEx, PROPERTYID, BOOL, VARIANT*)
    NOT_IMPLEMENTED(GetCachedPropertyValue, PROPERTYID, VARIANT*)
    NOT_IMPLEMENTED(GetCachedPropertyValueEx, PROPERTYID, BOOL, VARIANT*)
    NOT_IMPLEMENTED(GetCurrentPatternAs, PATTERNID, REFIID, void**)
    NOT_IMPLEMENTED(GetCachedPatternAs, PATTERNID, REFIID, void**)
    NOT_IMPLEMENTED(GetCurrentPattern, PATTERNID, IUnknown**)
    NOT_IMPLEMENTED(GetCachedPattern, PATTERNID, IUnknown**)
    NOT_IMPLEMENTED(GetCachedParent, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetCachedChildren, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CurrentControlType, CONTROLTYPEID*)
    NOT_IMPLEMENTED(get_CurrentLocalizedControlType, BSTR*)
    NOT_IMPLEMENTED(get_CurrentAcceleratorKey, BSTR*)
    NOT_IMPLEMENTED(get_CurrentAccessKey, BSTR*)
    NOT_IMPLEMENTED(get_CurrentHasKeyboardFocus, BOOL*)
    NOT_IMPLEMENTED(get_CurrentIsKeyboardFocusable, BOOL*)
    NOT_IMPLEMENTED(get_CurrentIsEnabled, BOOL*)
    NOT_IMPLEMENTED(get_CurrentHelpText, BSTR*)
    NOT_IMPLEMENTED(get_CurrentCulture, int*)
    NOT_IMPLEMENTED(get_CurrentIsControlElement, BOOL*)
    NOT_IMPLEMENTED(get_CurrentIsContentElement, BOOL*)
    NOT_IMPLEMENTED(get_CurrentIsPassword, BOOL*)
    NOT_IMPLEMENTED(get_CurrentItemType, BSTR*)
    NOT_IMPLEMENTED(get_CurrentIsOffscreen, BOOL*)
    NOT_IMPLEMENTED(get_CurrentOrientation, enum OrientationType*)
    NOT_IMPLEMENTED(get_CurrentFrameworkId, BSTR*)
    NOT_IMPLEMENTED(get_CurrentIsRequiredForForm, BOOL*)
    NOT_IMPLEMENTED(get_CurrentItemStatus, BSTR*)
    NOT_IMPLEMENTED(get_CurrentLabeledBy, IUIAutomationElement**)
    NOT_IMPLEMENTED(get_CurrentAriaRole, BSTR*)
    NOT_IMPLEMENTED(get_CurrentAriaProperties, BSTR*)
    NOT_IMPLEMENTED(get_CurrentIsDataValidForForm, BOOL*)
    NOT_IMPLEMENTED(get_CurrentControllerFor, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CurrentDescribedBy, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CurrentFlowsTo, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CurrentProviderDescription, BSTR*)
    NOT_IMPLEMENTED(get_CachedProcessId, int*)
    NOT_IMPLEMENTED(get_CachedControlType, CONTROLTYPEID*)
    NOT_IMPLEMENTED(get_CachedLocalizedControlType, BSTR*)
    NOT_IMPLEMENTED(get_CachedName, BSTR*)
    NOT_IMPLEMENTED(get_CachedAcceleratorKey, BSTR*)
    NOT_IMPLEMENTED(get_CachedAccessKey, BSTR*)
    NOT_IMPLEMENTED(get_CachedHasKeyboardFocus, BOOL*)
    NOT_IMPLEMENTED(get_CachedIsKeyboardFocusable, BOOL*)
    NOT_IMPLEMENTED(get_CachedIsEnabled, BOOL*)
    NOT_IMPLEMENTED(get_CachedAutomationId, BSTR*)
    NOT_IMPLEMENTED(get_CachedClassName, BSTR*)
    NOT_IMPLEMENTED(get_CachedHelpText, BSTR*)
    NOT_IMPLEMENTED(get_CachedCulture, int*)
    NOT_IMPLEMENTED(get_CachedIsControlElement, BOOL*)
    NOT_IMPLEMENTED(get_CachedIsContentElement, BOOL*)
    NOT_IMPLEMENTED(get_CachedIsPassword, BOOL*)
    NOT_IMPLEMENTED(get_CachedNativeWindowHandle, UIA_HWND*)
    NOT_IMPLEMENTED(get_CachedItemType, BSTR*)
    NOT_IMPLEMENTED(get_CachedIsOffscreen, BOOL*)
    NOT_IMPLEMENTED(get_CachedOrientation, enum OrientationType*)
    NOT_IMPLEMENTED(get_CachedFrameworkId, BSTR*)
    NOT_IMPLEMENTED(get_CachedIsRequiredForForm, BOOL*)
    NOT_IMPLEMENTED(get_CachedItemStatus, BSTR*)
    NOT_IMPLEMENTED(get_CachedBoundingRectangle, RECT*)
    NOT_IMPLEMENTED(get_CachedLabeledBy, IUIAutomationElement**)
    NOT_IMPLEMENTED(get_CachedAriaRole, BSTR*)
    NOT_IMPLEMENTED(get_CachedAriaProperties, BSTR*)
    NOT_IMPLEMENTED(get_CachedIsDataValidForForm, BOOL*)
    NOT_IMPLEMENTED(get_CachedControllerFor, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CachedDescribedBy, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CachedFlowsTo, IUIAutomationElementArray**)
    NOT_IMPLEMENTED(get_CachedProviderDescription, BSTR*)
    NOT_IMPLEMENTED(GetClickablePoint, POINT*, BOOL*)
};

HRESULT FakeUiAutomation::ElementArray::get_Length(int* length) {
    if (!length)
        return E_POINTER;
    *length = 0;
    if (!enter("get_Length"))
        return E_FAIL;
    *length = static_cast<int>(elements.size());
    return S_OK;
}

HRESULT FakeUiAutomation::ElementArray::GetElement(int index, IUIAutomationElement** element) {
    if (!element)
        return E_POINTER;
    *element = nullptr;
    if (!enter("GetElement"))
        return E_FAIL;
    if (index < 0 || index >= static_cast<int>(elements.size()))
        return E_INVALIDARG;
    elements[static_cast<size_t>(index)]->addRef();
    *element = elements[static_cast<size_t>(index)];
    return S_OK;
}

void FakeUiAutomation::ElementArray::lastRelease() {
    for (Element* element : elements)
        element->release();
}

class FakeUiAutomation::Walker : public IUIAutomationTreeWalker, public Object {
  public:
    using Interface = IUIAutomationTreeWalker;

    explicit Walker(FakeUiAutomation& fake) : Object(fake, "IUIAutomationTreeWalker") {}
    FAKE_UNKNOWN(IUIAutomationTreeWalker)

    HRESULT STDMETHODCALLTYPE GetParentElement(IUIAutomationElement* element,
                                               IUIAutomationElement** parent) override {
        return step("GetParentElement", &MemoryAutomation::parent, element, parent);
    }
    HRESULT STDMETHODCALLTYPE GetFirstChildElement(IUIAutomationElement* element,
                                                   IUIAutomationElement** first) override {
        return step("GetFirstChildElement", &MemoryAutomation::firstChild, element, first);
    }
    HRESULT STDMETHODCALLTYPE GetNextSiblingElement(IUIAutomationElement* element,
                                                    IUIAutomationElement** next) override {
        return step("GetNextSiblingElement", &MemoryAutomation::nextSibling, element, next);
    }

  private:
    // A null element with S_OK where the tree has none there.
    HRESULT step(const char* method,
                 AutomationElementPtr (MemoryAutomation::*move)(const AutomationElementPtr&),
                 IUIAutomationElement* element, IUIAutomationElement** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!enter(method))
            return E_FAIL;
        Element* from = fake.elementOf(element, method);
        if (!from)
            return E_INVALIDARG;
        AutomationElementPtr to = (fake.tree.*move)(from->node);
        if (!to)
            return fake.queryResult(from->node);
        *out = fake.newElement(to);
        return S_OK;
    }

  public:
    // IUIAutomationTreeWalker methods the client does not use
    NOT_IMPLEMENTED(GetLastChildElement, IUIAutomationElement*, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetPreviousSiblingElement, IUIAutomationElement*, IUIAutomationElement**)
    NOT_IMPLEMENTED(NormalizeElement, IUIAutomationElement*, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetParentElementBuildCache, IUIAutomationElement*, IUIAutomationCacheRequest*,
                    IUIAutomationElement**)
    NOT_IMPLEMENTED(GetFirstChildElementBuildCache, IUIAutomationElement*,
                    IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetLastChildElementBuildCache, IUIAutomationElement*,
                    IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetNextSiblingElementBuildCache, IUIAutomationElement*,
                    IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetPreviousSiblingElementBuildCache, IUIAutomationElement*,
                    IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(NormalizeElementBuildCache, IUIAutomationElement*, IUIAutomationCacheRequest*,
                    IUIAutomationElement**)
    NOT_IMPLEMENTED(get_Condition, IUIAutomationCondition**)
};

class FakeUiAutomation::Automation : public IUIAutomation, public Object {
  public:
    using Interface = IUIAutomation;

    explicit Automation(FakeUiAutomation& fake) : Object(fake, "IUIAutomation") {}
    FAKE_UNKNOWN(IUIAutomation)

    HRESULT STDMETHODCALLTYPE CompareElements(IUIAutomationElement* first,
                                              IUIAutomationElement* second, BOOL* same) override {
        if (!same)
            return E_POINTER;
        *same = FALSE;
        if (!enter("CompareElements"))
            return E_FAIL;
        Element* a = fake.elementOf(first, "CompareElements");
        Element* b = fake.elementOf(second, "CompareElements");
        if (!a || !b)
            return E_INVALIDARG;
        bool equal = fake.tree.sameElement(a->node, b->node);
        if (!equal && FAILED(fake.queryResult(a->node)))
            return fake.queryResult(a->node);
        *same = equal;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetRootElement(IUIAutomationElement** root) override {
        if (!root)
            return E_POINTER;
        *root = nullptr;
        if (!enter("GetRootElement"))
            return E_FAIL;
        AutomationElementPtr desktop = fake.tree.root();
        if (!desktop)
            return E_FAIL;
        *root = fake.newElement(desktop);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT point,
                                               IUIAutomationElement** element) override {
        if (!element)
            return E_POINTER;
        *element = nullptr;
        if (!enter("ElementFromPoint"))
            return E_FAIL;
        AutomationElementPtr hit = fake.tree.elementAtPoint(point.x, point.y);
        if (!hit)
            return FAILED(fake.queryResult(nullptr)) ? E_FAIL : elementNotAvailable;
        *element = fake.newElement(hit);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUIAutomationTreeWalker** walker) override {
        if (!walker)
            return E_POINTER;
        *walker = nullptr;
        if (!enter("get_ControlViewWalker"))
            return E_FAIL;
        *walker = fake.make<Walker>();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUIAutomationCondition** condition) override {
        if (!condition)
            return E_POINTER;
        *condition = nullptr;
        if (!enter("CreateTrueCondition"))
            return E_FAIL;
        *condition = fake.make<Condition>(Condition::Kind::True);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreatePropertyCondition(PROPERTYID property, VARIANT value,
                                                      IUIAutomationCondition** condition) override {
        if (!condition)
            return E_POINTER;
        *condition = nullptr;
        if (!enter("CreatePropertyCondition"))
            return E_FAIL;
        if (property != UIA_AutomationIdPropertyId && property != UIA_NamePropertyId &&
            property != UIA_ClassNamePropertyId) {
            fake.misuse("CreatePropertyCondition: property " + std::to_string(property) +
                        " is none the search compares");
            return E_INVALIDARG;
        }
        if (value.vt != VT_BSTR || !value.bstrVal) {
            fake.misuse("CreatePropertyCondition: the value is no BSTR");
            return E_INVALIDARG;
        }
        if (!fake.memory.label(value.bstrVal, "BSTR of a VARIANT given to CreatePropertyCondition"))
            fake.misuse("CreatePropertyCondition: the value's text was not allocated as a BSTR");
        Condition* made = fake.make<Condition>(Condition::Kind::Property);
        made->property = property;
        // The caller keeps its VARIANT; the condition holds a copy.
        if (FAILED(VariantCopy(&made->value, &value))) {
            made->release();
            return E_OUTOFMEMORY;
        }
        fake.memory.label(made->value.bstrVal, "copy of a value held by a property condition");
        *condition = made;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateAndCondition(IUIAutomationCondition* first,
                                                 IUIAutomationCondition* second,
                                                 IUIAutomationCondition** condition) override {
        if (!condition)
            return E_POINTER;
        *condition = nullptr;
        if (!enter("CreateAndCondition"))
            return E_FAIL;
        Condition* a = fake.conditionOf(first, "CreateAndCondition");
        Condition* b = fake.conditionOf(second, "CreateAndCondition");
        if (!a || !b)
            return E_INVALIDARG;
        Condition* made = fake.make<Condition>(Condition::Kind::And);
        a->addRef();
        b->addRef();
        made->operands[0] = a;
        made->operands[1] = b;
        *condition = made;
        return S_OK;
    }

    // IUIAutomation methods the client does not use
    NOT_IMPLEMENTED(CompareRuntimeIds, SAFEARRAY*, SAFEARRAY*, BOOL*)
    NOT_IMPLEMENTED(ElementFromHandle, UIA_HWND, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetFocusedElement, IUIAutomationElement**)
    NOT_IMPLEMENTED(GetRootElementBuildCache, IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(ElementFromHandleBuildCache, UIA_HWND, IUIAutomationCacheRequest*,
                    IUIAutomationElement**)
    NOT_IMPLEMENTED(ElementFromPointBuildCache, POINT, IUIAutomationCacheRequest*,
                    IUIAutomationElement**)
    NOT_IMPLEMENTED(GetFocusedElementBuildCache, IUIAutomationCacheRequest*, IUIAutomationElement**)
    NOT_IMPLEMENTED(CreateTreeWalker, IUIAutomationCondition*, IUIAutomationTreeWalker**)
    NOT_IMPLEMENTED(get_ContentViewWalker, IUIAutomationTreeWalker**)
    NOT_IMPLEMENTED(get_RawViewWalker, IUIAutomationTreeWalker**)
    NOT_IMPLEMENTED(get_RawViewCondition, IUIAutomationCondition**)
    NOT_IMPLEMENTED(get_ControlViewCondition, IUIAutomationCondition**)
    NOT_IMPLEMENTED(get_ContentViewCondition, IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateCacheRequest, IUIAutomationCacheRequest**)
    NOT_IMPLEMENTED(CreateFalseCondition, IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreatePropertyConditionEx, PROPERTYID, VARIANT, enum PropertyConditionFlags,
                    IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateAndConditionFromArray, SAFEARRAY*, IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateAndConditionFromNativeArray, IUIAutomationCondition**, int,
                    IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateOrCondition, IUIAutomationCondition*, IUIAutomationCondition*,
                    IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateOrConditionFromArray, SAFEARRAY*, IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateOrConditionFromNativeArray, IUIAutomationCondition**, int,
                    IUIAutomationCondition**)
    NOT_IMPLEMENTED(CreateNotCondition, IUIAutomationCondition*, IUIAutomationCondition**)
    NOT_IMPLEMENTED(AddAutomationEventHandler, EVENTID, IUIAutomationElement*, enum TreeScope,
                    IUIAutomationCacheRequest*, IUIAutomationEventHandler*)
    NOT_IMPLEMENTED(RemoveAutomationEventHandler, EVENTID, IUIAutomationElement*,
                    IUIAutomationEventHandler*)
    NOT_IMPLEMENTED(AddPropertyChangedEventHandlerNativeArray, IUIAutomationElement*,
                    enum TreeScope, IUIAutomationCacheRequest*,
                    IUIAutomationPropertyChangedEventHandler*, PROPERTYID*, int)
    NOT_IMPLEMENTED(AddPropertyChangedEventHandler, IUIAutomationElement*, enum TreeScope,
                    IUIAutomationCacheRequest*, IUIAutomationPropertyChangedEventHandler*,
                    SAFEARRAY*)
    NOT_IMPLEMENTED(RemovePropertyChangedEventHandler, IUIAutomationElement*,
                    IUIAutomationPropertyChangedEventHandler*)
    NOT_IMPLEMENTED(AddStructureChangedEventHandler, IUIAutomationElement*, enum TreeScope,
                    IUIAutomationCacheRequest*, IUIAutomationStructureChangedEventHandler*)
    NOT_IMPLEMENTED(RemoveStructureChangedEventHandler, IUIAutomationElement*,
                    IUIAutomationStructureChangedEventHandler*)
    NOT_IMPLEMENTED(AddFocusChangedEventHandler, IUIAutomationCacheRequest*,
                    IUIAutomationFocusChangedEventHandler*)
    NOT_IMPLEMENTED(RemoveFocusChangedEventHandler, IUIAutomationFocusChangedEventHandler*)
    NOT_IMPLEMENTED(RemoveAllEventHandlers)
    NOT_IMPLEMENTED(IntNativeArrayToSafeArray, int*, int, SAFEARRAY**)
    NOT_IMPLEMENTED(IntSafeArrayToNativeArray, SAFEARRAY*, int**, int*)
    NOT_IMPLEMENTED(RectToVariant, RECT, VARIANT*)
    NOT_IMPLEMENTED(VariantToRect, VARIANT, RECT*)
    NOT_IMPLEMENTED(SafeArrayToRectNativeArray, SAFEARRAY*, RECT**, int*)
    NOT_IMPLEMENTED(CreateProxyFactoryEntry, IUIAutomationProxyFactory*,
                    IUIAutomationProxyFactoryEntry**)
    NOT_IMPLEMENTED(get_ProxyFactoryMapping, IUIAutomationProxyFactoryMapping**)
    NOT_IMPLEMENTED(GetPropertyProgrammaticName, PROPERTYID, BSTR*)
    NOT_IMPLEMENTED(GetPatternProgrammaticName, PATTERNID, BSTR*)
    NOT_IMPLEMENTED(PollForPotentialSupportedPatterns, IUIAutomationElement*, SAFEARRAY**,
                    SAFEARRAY**)
    NOT_IMPLEMENTED(PollForPotentialSupportedProperties, IUIAutomationElement*, SAFEARRAY**,
                    SAFEARRAY**)
    NOT_IMPLEMENTED(CheckNotSupported, VARIANT, BOOL*)
    NOT_IMPLEMENTED(get_ReservedNotSupportedValue, IUnknown**)
    NOT_IMPLEMENTED(get_ReservedMixedAttributeValue, IUnknown**)
    NOT_IMPLEMENTED(ElementFromIAccessible, IAccessible*, int, IUIAutomationElement**)
    NOT_IMPLEMENTED(ElementFromIAccessibleBuildCache, IAccessible*, int, IUIAutomationCacheRequest*,
                    IUIAutomationElement**)
};

FakeUiAutomation::FakeUiAutomation(MemoryAutomation& tree) : tree(tree) {}

FakeUiAutomation::~FakeUiAutomation() = default;

template <class T, class... Args> T* FakeUiAutomation::make(Args&&... args) {
    auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T* made = object.get();
    byInterface[static_cast<typename T::Interface*>(made)] = made;
    objects.push_back(std::move(object));
    return made;
}

IUIAutomation* FakeUiAutomation::automation() {
    return make<Automation>();
}

FakeUiAutomation::Element* FakeUiAutomation::newElement(const AutomationElementPtr& node) {
    std::string kind = "IUIAutomationElement";
    if (const MemoryAutomation::Properties* properties = tree.properties(node)) {
        kind += " \"" + narrow(properties->name.value_or(String())) + "\" (" +
                narrow(properties->className) + ")";
    }
    return make<Element>(node, kind);
}

FakeUiAutomation::Element* FakeUiAutomation::elementOf(void* element, const char* method) {
    auto found = byInterface.find(element);
    auto* ours = found == byInterface.end() ? nullptr : dynamic_cast<Element*>(found->second);
    if (!ours) {
        misuse(std::string(method) + ": an element this fake did not hand out");
        return nullptr;
    }
    if (ours->refs == 0) {
        misuse(std::string(method) + ": " + ours->kind + " after its last Release");
        return nullptr;
    }
    return ours;
}

FakeUiAutomation::Condition* FakeUiAutomation::conditionOf(void* condition, const char* method) {
    auto found = byInterface.find(condition);
    auto* ours = found == byInterface.end() ? nullptr : dynamic_cast<Condition*>(found->second);
    if (!ours) {
        misuse(std::string(method) + ": a condition this fake did not hand out");
        return nullptr;
    }
    if (ours->refs == 0) {
        misuse(std::string(method) + ": a condition after its last Release");
        return nullptr;
    }
    return ours;
}

long FakeUiAutomation::queryResult(const AutomationElementPtr& node) const {
    if (tree.failingCall != 0 && tree.calls == tree.failingCall)
        return E_FAIL;
    if (node && !tree.properties(node))
        return elementNotAvailable;
    return S_OK;
}

void FakeUiAutomation::misuse(std::string what) {
    misuses.push_back(std::move(what));
}

int FakeUiAutomation::liveObjects() const {
    int live = 0;
    for (const auto& object : objects)
        live += object->refs > 0 ? 1 : 0;
    return live;
}

std::vector<std::string> FakeUiAutomation::problems() const {
    std::vector<std::string> lines;
    for (const auto& object : objects) {
        if (object->refs > 0)
            lines.push_back(object->kind + ": " + std::to_string(object->refs) +
                            " reference(s) never released");
    }
    lines.insert(lines.end(), misuses.begin(), misuses.end());
    std::vector<std::string> memoryLines = memory.problems();
    lines.insert(lines.end(), memoryLines.begin(), memoryLines.end());
    return lines;
}
