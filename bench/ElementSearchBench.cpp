// Finding a recorded control and describing one: provider calls are what costs on
// a real desktop (each is a call into another process), so every benchmark
// reports them per iteration beside the time over the in-memory tree.
#include "automation/ElementDescription.h"
#include "automation/ElementSearch.h"
#include "bench/LargeDesktop.h"

#include <benchmark/benchmark.h>

namespace {

LargeDesktop& desktop() {
    static LargeDesktop d;
    return d;
}

// What a search without the trace would do: visit every element below the root
// and compare the same three properties.
AutomationElementPtr depthFirst(MemoryAutomation& tree, const ElementDescriptor& wanted) {
    std::vector<AutomationElementPtr> stack{tree.root()};
    while (!stack.empty()) {
        AutomationElementPtr element = std::move(stack.back());
        stack.pop_back();
        for (auto child = tree.firstChild(element); child; child = tree.nextSibling(child)) {
            if (tree.automationId(child).value_or(String()) == wanted.automationId &&
                tree.name(child) == wanted.name &&
                tree.className(child).value_or(String()) == wanted.className)
                return child;
            stack.push_back(child);
        }
    }
    return nullptr;
}

// Provider calls of a search for the well-identified target before the look into
// the window for loose matches came: its ceiling is twice that.
constexpr int wellIdentifiedCallsBefore = 6;

void FindElementByTrace(benchmark::State& state) {
    LargeDesktop& d = desktop();
    ElementTrace trace = buildTrace(&d.tree, d.target);
    d.tree.calls = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(findElement(&d.tree, trace, 0));
    state.counters["provider_calls"] =
        benchmark::Counter(d.tree.calls, benchmark::Counter::kAvgIterations);
    state.counters["ceiling_calls"] = 2 * wellIdentifiedCallsBefore;
}
BENCHMARK(FindElementByTrace);

// The target as the recorded program changed it: `change` edits a copy of the
// desktop after the trace was made. Reports the calls and whether the search gave
// the right control (1), none (0) or another one (-1).
template <typename Change> void findChanged(benchmark::State& state, Change change) {
    LargeDesktop d;
    ElementTrace trace = buildTrace(&d.tree, d.target);
    AutomationElementPtr right = change(d);
    AutomationElementPtr found;
    d.tree.calls = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = findElement(&d.tree, trace, 0));
    state.counters["provider_calls"] =
        benchmark::Counter(d.tree.calls, benchmark::Counter::kAvgIterations);
    state.counters["right"] = !found ? 0 : d.tree.sameElement(found, right) ? 1 : -1;
}

// Moved into a new container in its pane.
void FindElementMovedIntoContainer(benchmark::State& state) {
    findChanged(state, [](LargeDesktop& d) {
        MemoryAutomation::Properties p = *d.tree.properties(d.target);
        AutomationElementPtr pane = d.tree.parent(d.target);
        d.tree.remove(d.target);
        MemoryAutomation::Properties box;
        box.className = u"Group";
        box.rect = {0, 0, 800, 600};
        return d.tree.add(d.tree.add(pane, box), p);
    });
}
BENCHMARK(FindElementMovedIntoContainer);

// Text and automation id both changed: 25 buttons of the class, nothing to tell.
void FindElementTextAndIdChanged(benchmark::State& state) {
    findChanged(state, [](LargeDesktop& d) {
        d.tree.properties(d.target)->name = String(u"Exportieren");
        d.tree.properties(d.target)->automationId = u"815";
        return AutomationElementPtr();
    });
}
BENCHMARK(FindElementTextAndIdChanged);

void FindElementDepthFirst(benchmark::State& state) {
    LargeDesktop& d = desktop();
    const ElementDescriptor wanted = buildTrace(&d.tree, d.target).elements.front();
    d.tree.calls = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(depthFirst(d.tree, wanted));
    state.counters["provider_calls"] =
        benchmark::Counter(d.tree.calls, benchmark::Counter::kAvgIterations);
}
BENCHMARK(FindElementDepthFirst);

// A ten-level trace: nine levels of one program and the desktop root, on a desktop
// with 250 processes.
struct DeepControl {
    MemoryAutomation tree;
    AutomationElementPtr target;
    std::vector<uint32_t> processes;

    DeepControl() {
        for (uint32_t id = 4; id < 4 + 250 * 4; id += 4)
            processes.push_back(id);
        for (uint32_t id : processes)
            tree.setProcessModule(id, {u"prog.exe", u"C:\\Programs\\prog.exe"});
        AutomationElementPtr level = tree.root();
        for (int i = 0; i < 9; ++i) {
            MemoryAutomation::Properties p;
            p.name = String::format(u"Level %i", i);
            p.className = u"Pane";
            p.processId = processes[200];
            level = tree.add(level, p);
        }
        target = level;
    }
};

// The earlier way: every level lists all processes and walks the list to the
// element's process before opening it.
int listWalks = 0;
ElementTrace traceWalkingProcessList(DeepControl& d) {
    ElementTrace trace;
    ElementDescriptor working;
    for (AutomationElementPtr level = d.target; level; level = parentElement(&d.tree, level)) {
        working.name = d.tree.name(level);
        const std::optional<uint32_t> id = d.tree.processId(level);
        working.className = d.tree.className(level).value_or(String());
        working.automationId = d.tree.automationId(level).value_or(String());
        ++listWalks;
        std::vector<uint32_t> listed = d.processes; // the snapshot of all processes
        for (uint32_t candidate : listed) {
            if (id && candidate == *id) {
                if (auto module = d.tree.processModule(candidate)) {
                    working.moduleName = module->baseName.lower();
                    working.modulePath = module->path;
                }
                break;
            }
        }
        trace.elements.push_back(working);
    }
    return trace;
}

void BuildTraceProcessPerLevel(benchmark::State& state) {
    static DeepControl d;
    d.tree.processModuleCalls = 0;
    listWalks = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(traceWalkingProcessList(d));
    state.counters["process_opens"] =
        benchmark::Counter(d.tree.processModuleCalls, benchmark::Counter::kAvgIterations);
    state.counters["process_list_walks"] =
        benchmark::Counter(listWalks, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BuildTraceProcessPerLevel);

void BuildTraceProcessLookedUpDirectly(benchmark::State& state) {
    static DeepControl d;
    d.tree.processModuleCalls = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(buildTrace(&d.tree, d.target));
    state.counters["process_opens"] =
        benchmark::Counter(d.tree.processModuleCalls, benchmark::Counter::kAvgIterations);
    state.counters["process_list_walks"] = 0;
}
BENCHMARK(BuildTraceProcessLookedUpDirectly);

} // namespace
