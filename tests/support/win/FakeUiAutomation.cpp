// The interfaces are used in their C form in this file (an interface pointer
// points to a table of methods), so that the fake fills the tables itself: the
// methods the client calls are written out, every other entry reports its call.
#define CINTERFACE
#include "tests/support/win/FakeUiAutomation.h"

#include "base/win/WideText.h"

#include <objbase.h>
#include <oleauto.h>
#include <uiautomationclient.h>

#include <cstring>
#include <utility>

namespace {

constexpr HRESULT elementNotAvailable =
    static_cast<HRESULT>(0x80040201); // UIA_E_ELEMENTNOTAVAILABLE

} // namespace

// References and the call books every object shares. The client holds a pointer
// to `face`: the table of methods, then the way back to the object. Objects
// start with one reference, the caller's.
class FakeUiAutomation::Object {
  public:
    Object(FakeUiAutomation& fake, std::string kind, const void* methods, const IID& iid)
        : fake(fake), kind(std::move(kind)), iid(iid), face{methods, this} {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    template <class Interface> Interface* as() { return reinterpret_cast<Interface*>(&face); }
    template <class T> static T& of(const void* pointer) {
        return *static_cast<T*>(static_cast<const Face*>(pointer)->self);
    }

    HRESULT query(REFIID riid, void** object) {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != iid)
            return E_NOINTERFACE;
        *object = &face;
        addRef();
        return S_OK;
    }
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
    // Books a method call; false when it is the call to fail or the object was
    // released already.
    bool enter(const char* method) {
        ++fake.calls;
        if (refs == 0) {
            fake.misuse(kind + ": " + method + " called after its last Release");
            return false;
        }
        return fake.calls != fake.failingCall;
    }
    // Starts a method: checks and clears its out parameter and books the call.
    template <class T> HRESULT begin(const char* method, T* out) {
        if (!out)
            return E_POINTER;
        *out = T{};
        return enter(method) ? S_OK : E_FAIL;
    }
    HRESULT notImplemented(size_t entry) {
        fake.misuse(kind + ": method " + std::to_string(entry) + " is not implemented");
        return E_NOTIMPL;
    }

    FakeUiAutomation& fake;
    const std::string kind;
    const IID& iid;
    ULONG refs = 1;

  protected:
    // Gives back what the object holds.
    virtual void lastRelease() {}

  private:
    struct Face {
        const void* methods;
        Object* self;
    } face;
};

namespace {

using Object = FakeUiAutomation::Object;

template <size_t Entry> HRESULT STDMETHODCALLTYPE unimplemented(void* self) {
    return Object::of<Object>(self).notImplemented(Entry);
}

template <class Table, size_t... Entries>
Table unimplementedTable(std::index_sequence<Entries...>) {
    void* entries[] = {reinterpret_cast<void*>(&unimplemented<Entries>)...};
    static_assert(sizeof(entries) == sizeof(Table));
    Table table;
    std::memcpy(&table, entries, sizeof table);
    return table;
}

// A method table of `Interface` with IUnknown's methods and every other entry
// reporting that it is not implemented.
template <class Interface, class Table> Table methodTable() {
    Table table =
        unimplementedTable<Table>(std::make_index_sequence<sizeof(Table) / sizeof(void*)>());
    table.QueryInterface = [](Interface* self, REFIID riid, void** object) {
        return Object::of<Object>(self).query(riid, object);
    };
    table.AddRef = [](Interface* self) { return Object::of<Object>(self).addRef(); };
    table.Release = [](Interface* self) { return Object::of<Object>(self).release(); };
    return table;
}

// The entry of a method table that calls `method` of the object behind the
// interface pointer.
template <class Interface, auto method> struct Entry;
template <class Interface, class T, class... Args, HRESULT (T::*method)(Args...)>
struct Entry<Interface, method> {
    static HRESULT STDMETHODCALLTYPE call(Interface* self, Args... args) {
        return (Object::of<T>(self).*method)(args...);
    }
};

} // namespace

class FakeUiAutomation::Condition : public Object {
  public:
    enum class Kind { True, Property, And };

    Condition(FakeUiAutomation& fake, Kind type)
        : Object(fake, "IUIAutomationCondition", methods(), IID_IUIAutomationCondition),
          type(type) {
        VariantInit(&value);
    }
    ~Condition() override { VariantClear(&value); }

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
            condition.terms.push_back(
                {which, fromWide(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)))});
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
    static const void* methods() {
        static const auto table = methodTable<IUIAutomationCondition, IUIAutomationConditionVtbl>();
        return &table;
    }
};

class FakeUiAutomation::Element : public Object {
  public:
    Element(FakeUiAutomation& fake, AutomationElementPtr node)
        : Object(fake, "IUIAutomationElement", methods(), IID_IUIAutomationElement),
          node(std::move(node)) {}

    const AutomationElementPtr node;

  private:
    static const void* methods() {
        using E = IUIAutomationElement;
        static const auto table = [] {
            auto t = methodTable<E, IUIAutomationElementVtbl>();
            t.GetRuntimeId = Entry<E, &Element::runtimeId>::call;
            t.FindAll = Entry<E, &Element::findAll>::call;
            t.get_CurrentProcessId = Entry<E, &Element::processId>::call;
            t.get_CurrentName = Entry<E, &Element::name>::call;
            t.get_CurrentAutomationId = Entry<E, &Element::automationId>::call;
            t.get_CurrentClassName = Entry<E, &Element::className>::call;
            t.get_CurrentNativeWindowHandle = Entry<E, &Element::nativeWindow>::call;
            t.get_CurrentBoundingRectangle = Entry<E, &Element::boundingRect>::call;
            return t;
        }();
        return &table;
    }

    HRESULT runtimeId(SAFEARRAY** ids) {
        if (HRESULT begun = begin("GetRuntimeId", ids); begun != S_OK)
            return begun;
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
            std::memcpy(data, id.data(), id.size() * sizeof(int32_t));
            SafeArrayUnaccessData(array);
        }
        *ids = array;
        return S_OK;
    }

    HRESULT findAll(TreeScope scope, IUIAutomationCondition* condition,
                    IUIAutomationElementArray** found);
    HRESULT name(BSTR* out) { return text("get_CurrentName", &MemoryAutomation::name, out); }
    HRESULT automationId(BSTR* out) {
        return text("get_CurrentAutomationId", &MemoryAutomation::automationId, out);
    }
    HRESULT className(BSTR* out) {
        return text("get_CurrentClassName", &MemoryAutomation::className, out);
    }

    HRESULT processId(int* id) {
        if (HRESULT begun = begin("get_CurrentProcessId", id); begun != S_OK)
            return begun;
        std::optional<uint32_t> process = fake.tree.processId(node);
        if (!process)
            return failure();
        *id = static_cast<int>(*process);
        return S_OK;
    }

    HRESULT nativeWindow(UIA_HWND* window) {
        if (HRESULT begun = begin("get_CurrentNativeWindowHandle", window); begun != S_OK)
            return begun;
        uintptr_t handle = fake.tree.nativeWindow(node);
        if (!handle && FAILED(fake.queryResult(node)))
            return fake.queryResult(node);
        *window = reinterpret_cast<UIA_HWND>(handle);
        return S_OK;
    }

    HRESULT boundingRect(RECT* rect) {
        if (HRESULT begun = begin("get_CurrentBoundingRectangle", rect); begun != S_OK)
            return begun;
        std::optional<ElementRect> bounds = fake.tree.boundingRect(node);
        if (!bounds)
            return failure();
        *rect = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
        return S_OK;
    }

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
        if (HRESULT begun = begin(method, out); begun != S_OK)
            return begun;
        std::optional<String> value = (fake.tree.*read)(node);
        if (!value)
            return fake.queryResult(node);
        *out = SysAllocStringLen(wide(*value), static_cast<UINT>(value->length()));
        if (!*out)
            return E_OUTOFMEMORY;
        fake.memory.label(*out, std::string("BSTR from ") + method);
        return S_OK;
    }
};

class FakeUiAutomation::ElementArray : public Object {
  public:
    explicit ElementArray(FakeUiAutomation& fake)
        : Object(fake, "IUIAutomationElementArray", methods(), IID_IUIAutomationElementArray) {}

    std::vector<Element*> elements;

  protected:
    void lastRelease() override {
        for (Element* element : elements)
            element->release();
    }

  private:
    static const void* methods() {
        using A = IUIAutomationElementArray;
        static const auto table = [] {
            auto t = methodTable<A, IUIAutomationElementArrayVtbl>();
            t.get_Length = Entry<A, &ElementArray::length>::call;
            t.GetElement = Entry<A, &ElementArray::element>::call;
            return t;
        }();
        return &table;
    }

    HRESULT length(int* length) {
        if (HRESULT begun = begin("get_Length", length); begun != S_OK)
            return begun;
        *length = static_cast<int>(elements.size());
        return S_OK;
    }
    HRESULT element(int index, IUIAutomationElement** element) {
        if (HRESULT begun = begin("GetElement", element); begun != S_OK)
            return begun;
        if (index < 0 || index >= static_cast<int>(elements.size()))
            return E_INVALIDARG;
        elements[static_cast<size_t>(index)]->addRef();
        *element = elements[static_cast<size_t>(index)]->as<IUIAutomationElement>();
        return S_OK;
    }
};

HRESULT FakeUiAutomation::Element::findAll(TreeScope scope, IUIAutomationCondition* condition,
                                           IUIAutomationElementArray** found) {
    if (HRESULT begun = begin("FindAll", found); begun != S_OK)
        return begun;
    if (scope != TreeScope_Children) {
        fake.misuse("FindAll: scope " + std::to_string(scope) + " instead of the children");
        return E_INVALIDARG;
    }
    Condition* test = fake.given<Condition>(condition, "FindAll");
    if (!test)
        return E_INVALIDARG;
    ElementCondition terms;
    test->addTerms(terms);
    std::vector<AutomationElementPtr> children = fake.tree.findChildren(node, terms);
    if (children.empty() && FAILED(fake.queryResult(node)))
        return fake.queryResult(node);
    ElementArray* array = fake.make<ElementArray>();
    for (const AutomationElementPtr& child : children)
        array->elements.push_back(fake.make<Element>(child));
    *found = array->as<IUIAutomationElementArray>();
    return S_OK;
}

class FakeUiAutomation::Walker : public Object {
  public:
    explicit Walker(FakeUiAutomation& fake)
        : Object(fake, "IUIAutomationTreeWalker", methods(), IID_IUIAutomationTreeWalker) {}

  private:
    using Move = AutomationElementPtr (MemoryAutomation::*)(const AutomationElementPtr&);

    static const void* methods() {
        using W = IUIAutomationTreeWalker;
        static const auto table = [] {
            auto t = methodTable<W, IUIAutomationTreeWalkerVtbl>();
            t.GetParentElement = Entry<W, &Walker::parent>::call;
            t.GetFirstChildElement = Entry<W, &Walker::firstChild>::call;
            t.GetNextSiblingElement = Entry<W, &Walker::nextSibling>::call;
            return t;
        }();
        return &table;
    }

    HRESULT parent(IUIAutomationElement* element, IUIAutomationElement** out) {
        return step("GetParentElement", &MemoryAutomation::parent, element, out);
    }
    HRESULT firstChild(IUIAutomationElement* element, IUIAutomationElement** out) {
        return step("GetFirstChildElement", &MemoryAutomation::firstChild, element, out);
    }
    HRESULT nextSibling(IUIAutomationElement* element, IUIAutomationElement** out) {
        return step("GetNextSiblingElement", &MemoryAutomation::nextSibling, element, out);
    }

    // A null element with S_OK where the tree has none there.
    HRESULT step(const char* method, Move move, IUIAutomationElement* element,
                 IUIAutomationElement** out) {
        if (HRESULT begun = begin(method, out); begun != S_OK)
            return begun;
        Element* from = fake.given<Element>(element, method);
        if (!from)
            return E_INVALIDARG;
        AutomationElementPtr to = (fake.tree.*move)(from->node);
        if (!to)
            return fake.queryResult(from->node);
        *out = fake.make<Element>(to)->as<IUIAutomationElement>();
        return S_OK;
    }
};

class FakeUiAutomation::Automation : public Object {
  public:
    explicit Automation(FakeUiAutomation& fake)
        : Object(fake, "IUIAutomation", methods(), IID_IUIAutomation) {}

  private:
    static const void* methods() {
        using U = IUIAutomation;
        static const auto table = [] {
            auto t = methodTable<U, IUIAutomationVtbl>();
            t.CompareElements = Entry<U, &Automation::compare>::call;
            t.GetRootElement = Entry<U, &Automation::rootElement>::call;
            t.ElementFromPoint = Entry<U, &Automation::elementFromPoint>::call;
            t.get_ControlViewWalker = Entry<U, &Automation::walker>::call;
            t.CreateTrueCondition = Entry<U, &Automation::trueCondition>::call;
            t.CreatePropertyCondition = Entry<U, &Automation::propertyCondition>::call;
            t.CreateAndCondition = Entry<U, &Automation::andCondition>::call;
            return t;
        }();
        return &table;
    }

    HRESULT walker(IUIAutomationTreeWalker** out) {
        if (HRESULT begun = begin("get_ControlViewWalker", out); begun != S_OK)
            return begun;
        *out = fake.make<Walker>()->as<IUIAutomationTreeWalker>();
        return S_OK;
    }
    HRESULT trueCondition(IUIAutomationCondition** out) {
        if (HRESULT begun = begin("CreateTrueCondition", out); begun != S_OK)
            return begun;
        *out = fake.make<Condition>(Condition::Kind::True)->as<IUIAutomationCondition>();
        return S_OK;
    }

    HRESULT compare(IUIAutomationElement* first, IUIAutomationElement* second, BOOL* same) {
        if (HRESULT begun = begin("CompareElements", same); begun != S_OK)
            return begun;
        Element* a = fake.given<Element>(first, "CompareElements");
        Element* b = fake.given<Element>(second, "CompareElements");
        if (!a || !b)
            return E_INVALIDARG;
        bool equal = fake.tree.sameElement(a->node, b->node);
        if (!equal && FAILED(fake.queryResult(a->node)))
            return fake.queryResult(a->node);
        *same = equal;
        return S_OK;
    }

    HRESULT rootElement(IUIAutomationElement** root) {
        if (HRESULT begun = begin("GetRootElement", root); begun != S_OK)
            return begun;
        AutomationElementPtr desktop = fake.tree.root();
        if (!desktop)
            return E_FAIL;
        *root = fake.make<Element>(desktop)->as<IUIAutomationElement>();
        return S_OK;
    }

    HRESULT elementFromPoint(POINT point, IUIAutomationElement** element) {
        if (HRESULT begun = begin("ElementFromPoint", element); begun != S_OK)
            return begun;
        AutomationElementPtr hit = fake.tree.elementAtPoint(point.x, point.y);
        if (!hit)
            return FAILED(fake.queryResult(nullptr)) ? E_FAIL : elementNotAvailable;
        *element = fake.make<Element>(hit)->as<IUIAutomationElement>();
        return S_OK;
    }

    HRESULT propertyCondition(PROPERTYID property, VARIANT value,
                              IUIAutomationCondition** condition) {
        if (HRESULT begun = begin("CreatePropertyCondition", condition); begun != S_OK)
            return begun;
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
        *condition = made->as<IUIAutomationCondition>();
        return S_OK;
    }

    HRESULT andCondition(IUIAutomationCondition* first, IUIAutomationCondition* second,
                         IUIAutomationCondition** condition) {
        if (HRESULT begun = begin("CreateAndCondition", condition); begun != S_OK)
            return begun;
        Condition* a = fake.given<Condition>(first, "CreateAndCondition");
        Condition* b = fake.given<Condition>(second, "CreateAndCondition");
        if (!a || !b)
            return E_INVALIDARG;
        Condition* made = fake.make<Condition>(Condition::Kind::And);
        a->addRef();
        b->addRef();
        made->operands[0] = a;
        made->operands[1] = b;
        *condition = made->as<IUIAutomationCondition>();
        return S_OK;
    }
};

FakeUiAutomation::FakeUiAutomation(MemoryAutomation& tree) : tree(tree) {}

FakeUiAutomation::~FakeUiAutomation() = default;

template <class T, class... Args> T* FakeUiAutomation::make(Args&&... args) {
    auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T* made = object.get();
    handedOut[made->template as<void>()] = made;
    objects.push_back(std::move(object));
    return made;
}

IUIAutomation* FakeUiAutomation::automation() {
    return make<Automation>()->as<IUIAutomation>();
}

template <class T> T* FakeUiAutomation::given(const void* pointer, const char* method) {
    auto found = handedOut.find(pointer);
    T* ours = found == handedOut.end() ? nullptr : dynamic_cast<T*>(found->second);
    if (!ours) {
        misuse(std::string(method) + ": an object this fake did not hand out");
        return nullptr;
    }
    if (ours->refs == 0) {
        misuse(std::string(method) + ": " + ours->kind + " after its last Release");
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
