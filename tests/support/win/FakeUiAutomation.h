#pragma once

#include "tests/support/MemoryAutomation.h"
#include "tests/support/win/TaskMemoryLedger.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct IUIAutomation;

// UI Automation's client interfaces implemented in-process over the in-memory
// element tree, so that the COM client runs for real where UI Automation cannot
// be created. Every query goes to the tree, so its fault injection applies; the
// methods the client does not use answer E_NOTIMPL and are reported. It keeps
// the books on everything it hands out: references of every object (never freed
// before the fake goes, so a release too many is seen and harmless) and, through
// a task-memory ledger, every BSTR, SAFEARRAY and VARIANT text.
class FakeUiAutomation {
  public:
    explicit FakeUiAutomation(MemoryAutomation& tree);
    ~FakeUiAutomation();
    FakeUiAutomation(const FakeUiAutomation&) = delete;
    FakeUiAutomation& operator=(const FakeUiAutomation&) = delete;

    // A new automation object with one reference for the caller.
    IUIAutomation* automation();

    // Method calls on all objects so far (AddRef, Release and QueryInterface aside).
    int calls = 0;
    // The call with this number fails with E_FAIL before it does anything; 0
    // fails none. Unlike the tree's failingCall this also reaches the calls that
    // never query the tree (conditions, the walker, the element array).
    int failingCall = 0;
    // Lower bound of the runtime-id arrays handed out; UI Automation's are 0.
    long runtimeIdLowerBound = 0;

    // Everything wrong so far, one line each: objects still referenced, released
    // too often or used after their release, unimplemented methods called, bad
    // arguments, task memory never freed or freed twice. Empty when all is well.
    std::vector<std::string> problems() const;

    class Object;
    class Automation;
    class Element;
    class Walker;
    class Condition;
    class ElementArray;

  private:
    template <class T, class... Args> T* make(Args&&... args);
    // The object of this class behind an interface pointer the client gives
    // back; null (reported) for one the fake did not hand out or that was released.
    template <class T> T* given(const void* pointer, const char* method);
    // S_OK, or the error of the tree query just made: the element was removed,
    // or the query was the one to fail.
    long queryResult(const AutomationElementPtr& node) const;
    void misuse(std::string what);

    MemoryAutomation& tree;
    TaskMemoryLedger memory;
    std::vector<std::unique_ptr<Object>> objects;
    // Every interface pointer handed out, to recognise those given back.
    std::map<const void*, Object*> handedOut;
    std::vector<std::string> misuses;
};
