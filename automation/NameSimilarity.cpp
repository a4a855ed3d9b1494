#include "automation/NameSimilarity.h"

#include "automation/Mnemonic.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Blanks, controls and ASCII punctuation; letters of every script and digits count.
bool counts(char16_t unit) {
    if (unit >= 0x80)
        return unit != 0xA0 && unit != 0x2026; // no-break space, ellipsis
    return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'z') ||
           (unit >= u'A' && unit <= u'Z');
}

// Levenshtein distance over code units, one row at a time.
int editDistance(const String& a, const String& b) {
    std::vector<int> row(static_cast<size_t>(b.length()) + 1);
    for (int j = 0; j <= b.length(); ++j)
        row[static_cast<size_t>(j)] = j;
    for (int i = 1; i <= a.length(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.length(); ++j) {
            const int above = row[static_cast<size_t>(j)];
            const int replace = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[static_cast<size_t>(j)] =
                std::min({replace, above + 1, row[static_cast<size_t>(j) - 1] + 1});
            diagonal = above;
        }
    }
    return row[static_cast<size_t>(b.length())];
}

} // namespace

String comparableName(const String& name) {
    const String shown = withoutMnemonic(name).lower();
    String kept;
    for (int i = 0; i < shown.length(); ++i) {
        char16_t unit = shown[i];
        // Latin-1 capitals (Ä, Ö, Ü, ...) as their small letters; lower() maps A to Z.
        if (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7)
            unit = static_cast<char16_t>(unit + 0x20);
        if (counts(unit))
            kept += unit;
    }
    return kept;
}

bool namesAlike(const String& a, const String& b) {
    const String left = comparableName(a);
    const String right = comparableName(b);
    if (left.empty() || right.empty())
        return false;
    if (left == right)
        return true;
    const int allowed = std::max(left.length(), right.length()) / 4;
    if (std::abs(left.length() - right.length()) > allowed)
        return false;
    return editDistance(left, right) <= allowed;
}
