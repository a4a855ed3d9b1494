#include "app/NaturalCompare.h"

#include <algorithm>
#include <cstdint>

namespace {

bool isDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

// Reads the run of digits of `text` that starts at `position` into `value`;
// returns the position after the run.
int readRun(const String& text, int position, uint32_t& value) {
    while (position < text.length() && isDigit(text[position])) {
        value = value * 16u + static_cast<uint32_t>(text[position] - u'0');
        ++position;
    }
    return position;
}

} // namespace

int naturalCompare(const String& a, const String& b, int) {
    const int shorter = std::min(a.length(), b.length());
    uint32_t valueA = 0;
    uint32_t valueB = 0;
    int i = 0;
    while (i < shorter) {
        const char16_t unitA = a[i];
        const char16_t unitB = b[i];
        const bool digitA = isDigit(unitA);
        const bool digitB = isDigit(unitB);
        if (digitA && !digitB)
            return -1;
        if (digitB && !digitA)
            return 1;
        if (!digitA) {
            if (unitA != unitB)
                return unitA < unitB ? -1 : 1;
            ++i;
            continue;
        }
        const int endA = readRun(a, i, valueA);
        const int endB = readRun(b, i, valueB);
        if (valueA != valueB)
            return valueA > valueB ? 1 : -1;
        i = std::min(endA, endB);
    }
    if (b.length() > i)
        return -1;
    if (a.length() > i)
        return 1;
    return 0;
}
