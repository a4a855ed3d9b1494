#include "automation/OverlayPlacement.h"

#include <algorithm>
#include <cstdint>

namespace {

long long overlapArea(const ElementRect& a, const ElementRect& b) {
    const long long width =
        static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const long long height =
        static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// value - origin, kept within the 32-bit range.
int shifted(int value, int origin) {
    const long long result = static_cast<long long>(value) - origin;
    return static_cast<int>(std::clamp<long long>(result, INT32_MIN, INT32_MAX));
}

} // namespace

std::optional<ElementRect> overlayMonitor(const std::vector<ElementRect>& monitors,
                                          const ElementRect& element,
                                          const std::optional<ElementRect>& ownerMonitor) {
    const ElementRect* best = nullptr;
    long long bestArea = 0;
    if (!element.isEmpty()) {
        for (const ElementRect& monitor : monitors) {
            const long long area = overlapArea(monitor, element);
            if (area > bestArea) {
                best = &monitor;
                bestArea = area;
            }
        }
    }
    if (best)
        return *best;
    return ownerMonitor;
}

ElementRect toWindowCoordinates(const ElementRect& element, const ElementRect& windowOrigin) {
    return {shifted(element.left, windowOrigin.left), shifted(element.top, windowOrigin.top),
            shifted(element.right, windowOrigin.left), shifted(element.bottom, windowOrigin.top)};
}
