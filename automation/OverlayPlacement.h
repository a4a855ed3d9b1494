#pragma once

#include "automation/AutomationClient.h"

#include <optional>
#include <vector>

// Where the overlay window goes: over the monitor that holds the element, so an
// element on any monitor is framed. Of several monitors the one with the largest
// share of the element wins (the first listed on a tie); an element on no
// monitor, or an empty one, takes the owner window's monitor. Nullopt when
// neither is known.
std::optional<ElementRect> overlayMonitor(const std::vector<ElementRect>& monitors,
                                          const ElementRect& element,
                                          const std::optional<ElementRect>& ownerMonitor);

// The element's screen rectangle in the coordinates of a window whose top-left
// corner is at `windowOrigin`'s left and top.
ElementRect toWindowCoordinates(const ElementRect& element, const ElementRect& windowOrigin);
