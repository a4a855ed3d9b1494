#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// Books every block of the COM task allocator that is allocated while a ledger
// lives, and every free of such a block: BSTRs, SAFEARRAYs and VARIANT texts
// never freed or freed twice, whichever function freed them. A second free is
// caught before it reaches the heap. Works through a malloc spy registered once
// for the process, with the BSTR cache turned off so that every freed text
// really goes back to the allocator. One ledger at a time; single thread.
class TaskMemoryLedger {
  public:
    TaskMemoryLedger();
    ~TaskMemoryLedger();
    TaskMemoryLedger(const TaskMemoryLedger&) = delete;
    TaskMemoryLedger& operator=(const TaskMemoryLedger&) = delete;

    // Names the booked block that holds `address` for the problem report
    // ("BSTR from get_CurrentName"); false when no booked block holds it.
    bool label(const void* address, const std::string& what);

    // One line per block still allocated and per double free.
    std::vector<std::string> problems() const;

    struct Block {
        size_t size = 0;
        std::string label;
    };

  private:
    friend class TaskMemorySpy;

    bool registered = false;
    std::map<const char*, Block> live;
    std::vector<std::string> twiceFreed;
};
