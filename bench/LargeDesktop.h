#pragma once

#include "tests/support/MemoryAutomation.h"

// A desktop of about 5 000 elements for the benchmarks: 20 programs with one
// window each (module "program<w>.exe"), each of 10 panes of 25 buttons. One
// button, the `target`, is well identified: its own name ("Speichern unter")
// and automation id (4711), in window 13, pane 7, place 19.
struct LargeDesktop {
    MemoryAutomation tree;
    AutomationElementPtr target;

    LargeDesktop() {
        for (int w = 0; w < 20; ++w) {
            const int process = 100 + w;
            tree.setProcessModule(process, {String::format(u"program%i.exe", w), u"C:\\p.exe"});
            MemoryAutomation::Properties window;
            window.name = String::format(u"Window %i", w);
            window.className = u"Frame";
            window.processId = process;
            window.rect = {0, 0, 800, 600};
            auto top = tree.add(tree.root(), window);
            for (int p = 0; p < 10; ++p) {
                MemoryAutomation::Properties pane;
                pane.name = String::format(u"Pane %i", p);
                pane.className = u"Pane";
                pane.processId = process;
                pane.rect = {0, 0, 800, 600};
                auto paneElement = tree.add(top, pane);
                for (int c = 0; c < 25; ++c) {
                    const bool wanted = w == 13 && p == 7 && c == 19;
                    MemoryAutomation::Properties button;
                    button.name =
                        wanted ? String(u"Speichern unter") : String::format(u"Control %i", c);
                    button.className = u"Button";
                    button.automationId = String::format(u"%i", wanted ? 4711 : 1000 + c);
                    button.processId = process;
                    button.rect = {10 + c, 10, 90 + c, 30};
                    auto control = tree.add(paneElement, button);
                    if (wanted)
                        target = control;
                }
            }
        }
    }
};
