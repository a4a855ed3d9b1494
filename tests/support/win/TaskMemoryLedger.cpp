#include "tests/support/win/TaskMemoryLedger.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <iterator>

// Exported by oleaut32 on Windows and Wine; the SDK headers do not declare it.
extern "C" void WINAPI SetOaNoCache(void);

// The process's one malloc spy. Between ledgers it only passes calls on.
class TaskMemorySpy : public IMallocSpy {
  public:
    static TaskMemorySpy& instance() {
        static TaskMemorySpy spy;
        return spy;
    }

    bool registered() const { return isRegistered; }
    void begin(TaskMemoryLedger* ledger) {
        current = ledger;
        released.clear();
    }
    void end() {
        current = nullptr;
        released.clear();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
            *object = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Static: lives as long as the process, since a spy cannot be revoked while
    // blocks it has seen are still allocated.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override {
        requested = size;
        return size;
    }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        book(block, "task memory");
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
        if (!current || !block)
            return block;
        auto* start = static_cast<const char*>(block);
        auto booked = current->live.find(start);
        if (booked != current->live.end()) {
            released[start] = booked->second.label;
            current->live.erase(booked);
            return block;
        }
        auto freed = released.find(start);
        if (freed != released.end()) {
            if (start != sizedAfterFree)
                current->twiceFreed.push_back(freed->second);
            sizedAfterFree = nullptr;
            return nullptr; // the heap never sees the second free
        }
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** actual, BOOL) override {
        *actual = block;
        requested = size;
        reallocLabel = "task memory";
        if (current && block) {
            auto booked = current->live.find(static_cast<const char*>(block));
            if (booked != current->live.end()) {
                reallocLabel = booked->second.label;
                current->live.erase(booked);
            }
        }
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override {
        book(block, reallocLabel);
        return block;
    }
    // SysFreeString asks for the size first: a text freed before is reported
    // here, and once only when the free follows (Wine 8 compares the missing
    // size with a 32-bit ~0 and frees anyway).
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override {
        sizedAfterFree = nullptr;
        if (current && block) {
            auto* start = static_cast<const char*>(block);
            auto freed = released.find(start);
            if (freed != released.end()) {
                current->twiceFreed.push_back(freed->second);
                sizedAfterFree = start;
            }
        }
        return block;
    }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override {
        return sizedAfterFree ? static_cast<SIZE_T>(-1) : size;
    }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int result) override { return result; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

  private:
    TaskMemorySpy() {
        // Cached texts would be handed out again without passing the allocator.
        SetOaNoCache();
        isRegistered = SUCCEEDED(CoRegisterMallocSpy(this));
        // The allocator keeps its list of spied blocks from the first allocation
        // on; make one so that size queries always find that list.
        if (isRegistered)
            CoTaskMemFree(CoTaskMemAlloc(1));
    }

    void book(void* block, const std::string& label) {
        if (!block)
            return;
        auto* start = static_cast<const char*>(block);
        released.erase(start); // the address is in use again
        sizedAfterFree = nullptr;
        if (current)
            current->live[start] = TaskMemoryLedger::Block{requested, label};
    }

    TaskMemoryLedger* current = nullptr;
    bool isRegistered = false;
    SIZE_T requested = 0;
    std::string reallocLabel;
    const char* sizedAfterFree = nullptr;
    // Blocks freed under the current ledger and not handed out since.
    std::map<const char*, std::string> released;
};

TaskMemoryLedger::TaskMemoryLedger() {
    TaskMemorySpy& spy = TaskMemorySpy::instance();
    registered = spy.registered();
    spy.begin(this);
}

TaskMemoryLedger::~TaskMemoryLedger() {
    TaskMemorySpy::instance().end();
}

bool TaskMemoryLedger::label(const void* address, const std::string& what) {
    auto* inside = static_cast<const char*>(address);
    auto after = live.upper_bound(inside);
    if (after == live.begin())
        return false;
    auto block = std::prev(after);
    if (inside >= block->first + block->second.size)
        return false;
    block->second.label = what;
    return true;
}

std::vector<std::string> TaskMemoryLedger::problems() const {
    std::vector<std::string> lines;
    if (!registered)
        lines.push_back("task memory cannot be watched: the malloc spy was refused");
    for (const auto& [start, block] : live) {
        char line[200];
        std::snprintf(line, sizeof line, "never freed: %s (%zu bytes at %p)", block.label.c_str(),
                      block.size, static_cast<const void*>(start));
        lines.push_back(line);
    }
    for (const std::string& what : twiceFreed)
        lines.push_back("freed twice: " + what);
    return lines;
}
