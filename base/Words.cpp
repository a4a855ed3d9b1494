#include "base/Words.h"

std::vector<String> splitWords(const String& query) {
    std::vector<String> words;
    const char16_t* t = query.data();
    const int n = query.length();
    int start = 0;
    for (int i = 0; i <= n; ++i) {
        if (i == n || t[i] == u' ') {
            if (i > start)
                words.emplace_back(t + start, i - start);
            start = i + 1;
        }
    }
    return words;
}

bool containsAllWords(const String& text, const std::vector<String>& words) {
    for (const String& word : words) {
        if (text.find(word) < 0)
            return false;
    }
    return true;
}
