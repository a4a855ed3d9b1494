// The recorder's hover step runs every 100 ms while recording; almost always the
// pointer rests on the element it already marks, so that case must cost little.
// Provider calls are reported beside the time: on a real desktop each is a call
// into another process.
#include "recording/Recorder.h"
#include "tests/support/FakeCaptureTransfer.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeRecorderView.h"
#include "tests/support/MemoryAutomation.h"

#include <benchmark/benchmark.h>

namespace {

void RecorderHoverStepUnchanged(benchmark::State& state) {
    MemoryAutomation tree;
    // A desktop of 20 windows of 25 controls each; the pointer rests on the
    // last control of the last window.
    AutomationElementPtr target;
    for (int w = 0; w < 20; ++w) {
        MemoryAutomation::Properties window;
        window.name = String::format(u"Window %i", w);
        window.className = u"Frame";
        window.processId = 100 + w;
        window.rect = {w * 60, 0, w * 60 + 60, 1000};
        auto top = tree.add(tree.root(), window);
        for (int c = 0; c < 25; ++c)
            target = tree.add(top, String::format(u"Control %i", c), u"Button", u"",
                              {w * 60, c * 40, w * 60 + 60, c * 40 + 40});
    }
    AutomationClient* client = &tree;
    FakeRecorderView view;
    FakeDesktop desktop;
    FakeCaptureTransfer captures;
    SoftwareCatalogue catalogue;
    TicketList tickets(catalogue);
    Recorder recorder(view, desktop, captures, client, tickets, catalogue);
    recorder.open(1);
    recorder.startRecording();
    desktop.cursorX = 19 * 60 + 30;
    desktop.cursorY = 24 * 40 + 20;
    recorder.hoverStep();
    if (!recorder.hoveredElement())
        state.SkipWithError("nothing hovered");

    tree.calls = 0;
    for (auto _ : state)
        recorder.hoverStep();
    state.counters["provider_calls"] =
        benchmark::Counter(tree.calls, benchmark::Counter::kAvgIterations);
    recorder.close(0);
}
BENCHMARK(RecorderHoverStepUnchanged);

} // namespace
