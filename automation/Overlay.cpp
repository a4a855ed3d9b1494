#include "automation/Overlay.h"

#include "automation/FrameImage.h"
#include "automation/OverlayPlacement.h"

#include <algorithm>
#include <cstdint>

namespace {

int minusOne(int value) {
    return value == INT32_MIN ? value : value - 1;
}

} // namespace

bool Overlay::show(AutomationClient* client, const AutomationElementPtr& element) {
    // Only the automation id tells an element of the Settings application. The
    // whole description would also ask the element's program for its name and
    // read its process modules, on every tick of the navigator.
    const String automationId =
        client && element ? client->automationId(element).value_or(String()) : String();
    if (automationId.contains(settingsMarker)) {
        blinking = true;
    } else {
        blinking = false;
        windowShown = true;
        if (view.windowExists())
            view.showWindow(true);
    }

    if (!element) {
        if (!marked.isEmpty()) {
            marked = {};
            releaseFrameImage();
            if (view.windowExists())
                view.repaint();
        }
        return false;
    }

    ElementRect rect;
    if (client)
        rect = client->boundingRect(element).value_or(ElementRect{});

    if (rect == marked) {
        if (rect.isEmpty()) {
            forgetWindow();
            return false;
        }
        // The window may have gone with its owner; the mark comes back with it.
        if (!view.windowExists()) {
            placeWindow(rect);
            if (view.windowExists())
                view.repaint();
        }
        return true;
    }

    const bool made = placeWindow(rect);
    marked = rect;
    if (rect.isEmpty()) {
        releaseFrameImage();
        if (view.windowExists())
            view.repaint();
        return false;
    }

    const FrameImage image = makeFrameImage(static_cast<long long>(rect.right) - rect.left,
                                            static_cast<long long>(rect.bottom) - rect.top);
    view.setFrameImage(image.empty() ? nullptr : &image);
    hasFrameImage = !image.empty();
    if (view.windowExists()) {
        // Restacking a window just made on top would only cost time (under Wine
        // two more trips through the X server with the monitor-sized window).
        if (!made)
            view.raiseWindow();
        view.repaint();
    }
    return true;
}

ElementRect Overlay::boxRect() const {
    if (marked.isEmpty())
        return {};
    return toWindowCoordinates(marked, windowArea);
}

void Overlay::removeWindow() {
    marked = {};
    releaseFrameImage();
    forgetWindow();
}

void Overlay::tick() {
    if (!blinking)
        return;
    if (windowShown) {
        view.showWindow(false);
        windowShown = false;
        if (!marked.isEmpty() && hasFrameImage)
            view.blendFrame(minusOne(marked.left), minusOne(marked.top));
    } else {
        view.showWindow(true);
        windowShown = true;
    }
}

void Overlay::shutdown() {
    // Without the window nothing shows the mark; forgetting it too lets the next
    // show of the same element make the window again.
    removeWindow();
}

bool Overlay::placeWindow(const ElementRect& rect) {
    const bool exists = view.windowExists();
    // An empty rectangle is on no monitor: an existing window stays where it is.
    if (exists && rect.isEmpty())
        return false;
    const std::optional<ElementRect> monitor =
        overlayMonitor(view.monitors(), rect, view.ownerMonitor());
    if (!monitor)
        return false;
    if (!exists) {
        if (view.createWindow(*monitor)) {
            windowArea = *monitor;
            windowShown = true;
            return true;
        }
    } else if (!(*monitor == windowArea)) {
        view.moveWindow(*monitor);
        windowArea = *monitor;
    }
    return false;
}

void Overlay::releaseFrameImage() {
    if (!hasFrameImage)
        return;
    view.setFrameImage(nullptr);
    hasFrameImage = false;
}

void Overlay::forgetWindow() {
    view.destroyWindow();
    windowArea = {};
}
