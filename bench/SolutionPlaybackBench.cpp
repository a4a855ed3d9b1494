// The navigator's guiding tick runs every 10 ms for as long as a step is shown:
// with the element framed it asks the overlay to frame it again, which costs
// provider calls (calls into the framed program on a real desktop).
#include "automation/ElementDescription.h"
#include "playback/SolutionPlayback.h"
#include "tests/support/MemoryAutomation.h"
#include "tests/support/PlaybackFakes.h"

#include <benchmark/benchmark.h>

namespace {

// About 5 000 elements: 20 windows of 10 panes of 25 buttons, one program each.
struct Desktop {
    MemoryAutomation tree;
    AutomationClient* client = &tree;
    AutomationElementPtr target;

    Desktop() {
        for (int w = 0; w < 20; ++w) {
            MemoryAutomation::Properties window;
            window.name = String::format(u"Window %i", w);
            window.className = u"Frame";
            window.processId = 100 + w;
            window.rect = {0, 0, 800, 600};
            tree.setProcessModule(100 + w, {String::format(u"program%i.exe", w), u"C:\\p.exe"});
            auto top = tree.add(tree.root(), window);
            for (int p = 0; p < 10; ++p) {
                auto pane =
                    tree.add(top, String::format(u"Pane %i", p), u"Pane", u"", {0, 0, 800, 600});
                for (int c = 0; c < 25; ++c) {
                    MemoryAutomation::Properties button;
                    button.name = String::format(u"Control %i", c);
                    button.className = u"Button";
                    button.automationId = String::format(u"%i", 1000 + c);
                    button.processId = 100 + w;
                    button.rect = {10 + c, 10, 90 + c, 30};
                    auto control = tree.add(pane, button);
                    if (w == 13 && p == 7 && c == 19)
                        target = control;
                }
            }
        }
    }
};

void GuidingTickFramed(benchmark::State& state) {
    Desktop d;
    SoftwareCatalogue catalogue;
    ClickMonitor clicks;
    KeyMonitor keys;
    FakeNavigatorView view;
    FakePlaybackPlatform platform{keys};
    SolutionPlayback playback{view, platform, d.client, catalogue, clicks, keys};

    CaptureAction click;
    click.kind = Action::leftClick;
    click.trace = buildTrace(d.client, d.target);
    platform.capture.actions = {click};
    platform.activation = Activation::broughtFront;
    Ticket ticket;
    ticket.id_capture = 1;
    playback.start(ticket);
    playback.tick(); // finds the program and the element
    playback.tick(); // frames it
    if (!playback.foundElement() || platform.overlayRect().isEmpty())
        state.SkipWithError("the element is not framed");

    d.tree.calls = 0;
    for (auto _ : state)
        playback.tick();
    state.counters["provider_calls"] =
        benchmark::Counter(d.tree.calls, benchmark::Counter::kAvgIterations);
}
BENCHMARK(GuidingTickFramed);

} // namespace
