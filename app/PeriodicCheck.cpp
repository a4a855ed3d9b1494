#include "app/PeriodicCheck.h"

bool PeriodicCheck::due(uint32_t now) {
    if (started && static_cast<int32_t>(now - next) <= 0)
        return false;
    started = true;
    next = now + interval;
    return true;
}
