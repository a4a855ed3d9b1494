#pragma once

#include "controls/AutoComplete.h"
#include "controls/ComboBoxView.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

// A combo box in memory that keeps its state and logs the calls that change
// it. A `sorted` one inserts its items without regard to case, as the main
// window's boxes do.
struct FakeComboBox : ComboBoxView {
    String content;
    int selStart = 0, selEnd = 0;
    std::vector<std::pair<String, const void*>> items;
    int selected = -1;
    bool sorted = false;
    bool dropped = false;
    bool dropDownStyle = true;
    int minVisible = 0;
    String clipboard;
    std::vector<std::string> log;
    AutoComplete* owner = nullptr; // to see the busy flag during calls
    std::vector<bool> busyWhileAdding;
    bool held = false;             // holdListDrawing
    bool drawnWhileAdding = false; // an item was added while not held

    explicit FakeComboBox(bool sortedItems = false) : sorted(sortedItems) {}
    String selectedText() const { return selected < 0 ? String(u"<none>") : items[selected].first; }

    void editSelection(int& s, int& e) override { s = selStart, e = selEnd; }
    String text() override { return content; }
    void setText(const String& t) override {
        content = t;
        log.push_back("setText");
    }
    void setEditSelection(int s, int e) override {
        selStart = s, selEnd = e;
        log.push_back("sel " + std::to_string(s) + "," + std::to_string(e));
    }
    void resetList() override {
        items.clear();
        selected = -1;
        log.push_back("reset");
    }
    void holdListDrawing(bool hold) override {
        held = hold;
        log.push_back(hold ? "hold" : "draw");
    }
    void addItem(const String& t, const void* d) override {
        const auto after = [&](const auto& item) { return t.lower() < item.first.lower(); };
        items.insert(sorted ? std::find_if(items.begin(), items.end(), after) : items.end(),
                     {t, d});
        if (owner)
            busyWhileAdding.push_back(owner->busy());
        drawnWhileAdding = drawnWhileAdding || !held;
    }
    bool hasDropDownList() override { return dropDownStyle; }
    void showDropDown(bool show) override {
        dropped = show;
        log.push_back(show ? "open" : "close");
    }
    void setMinVisible(int n) override { minVisible = n; }
    void focusEdit() override {}
    String clipboardText() override { return clipboard; }

    // CB_SELECTSTRING with start index 0: from the second item on, wrapping.
    int selectStartingWith(const String& t) {
        const int n = static_cast<int>(items.size());
        for (int k = 1; k <= n; ++k) {
            const int i = k % n;
            if (items[i].first.lower().startsWith(t.lower())) {
                selected = i;
                content = items[i].first;
                return i;
            }
        }
        return -1;
    }
};
