// The navigator's guiding tick runs every 10 ms for as long as a step is shown:
// with the element framed it asks the overlay to frame it again, which costs
// provider calls (calls into the framed program on a real desktop).
#include "automation/ElementDescription.h"
#include "playback/SolutionPlayback.h"
#include "bench/LargeDesktop.h"
#include "tests/support/PlaybackFakes.h"

#include <benchmark/benchmark.h>

namespace {

void GuidingTickFramed(benchmark::State& state) {
    LargeDesktop d;
    AutomationClient* client = &d.tree;
    SoftwareCatalogue catalogue;
    ClickMonitor clicks;
    KeyMonitor keys;
    FakeNavigatorView view;
    FakeDesktop desktop{keys};
    FakeCaptureTransfer captures;
    SolutionPlayback playback{view, desktop, captures, client, catalogue, clicks, keys};

    CaptureAction click;
    click.kind = Action::leftClick;
    click.trace = buildTrace(client, d.target);
    captures.capture.actions = {click};
    desktop.activation = Activation::broughtFront;
    Ticket ticket;
    ticket.id_capture = 1;
    playback.start(ticket);
    playback.tick(); // finds the program and the element
    playback.tick(); // frames it
    if (!playback.foundElement() || desktop.overlayRect().isEmpty())
        state.SkipWithError("the element is not framed");

    d.tree.calls = 0;
    for (auto _ : state)
        playback.tick();
    state.counters["provider_calls"] =
        benchmark::Counter(d.tree.calls, benchmark::Counter::kAvgIterations);
}
BENCHMARK(GuidingTickFramed);

} // namespace
