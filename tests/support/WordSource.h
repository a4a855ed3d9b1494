#pragma once

#include "controls/AutoComplete.h"

#include <vector>

// A completion source for the combo-box tests: the matches are the words that
// contain the typed text (all of them for an empty text); each search is noted.
struct WordSource : AutoComplete {
    std::vector<String> words;
    std::vector<String> results;
    std::vector<String> searched;

    void search(const String& text) override {
        searched.push_back(text);
        results.clear();
        for (const String& word : words)
            if (text.empty() || word.contains(text))
                results.push_back(word);
    }
    int count() override { return static_cast<int>(results.size()); }
    String text(int i) override { return results[static_cast<size_t>(i)]; }
    const void* item(int i) override { return &results[static_cast<size_t>(i)]; }
};

// Counts the owner's notifications of typed text.
struct TextChangeListener : AutoComplete::Interface {
    int calls = 0;
    void onTextChanged() override { ++calls; }
};
