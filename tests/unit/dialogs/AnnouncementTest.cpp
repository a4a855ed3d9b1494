#include "dialogs/Announcement.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct RecordingView : AnnouncementView {
    std::vector<String> shown;
    std::vector<String> announced;
    void showText(const String& text) override { shown.push_back(text); }
    void announce(const String& text) override { announced.push_back(text); }
};

} // namespace

// A text repeated for the same occasion is heard once; the same text for the
// next occasion (a step like the last) and after the window came back is heard
// again; an empty text clears the control silently.
TEST(Announcement, ReadsEachTextOnceForEachOccasion) {
    RecordingView view;
    Announcement announcement(view);
    announcement.show(u"Bitte öffne die Anwendung 'Editor'", -1);
    announcement.show(u"Bitte öffne die Anwendung 'Editor'", -1);
    announcement.show(u"Linker Mausklick auf \"OK\"", 0);
    announcement.show(u"Linker Mausklick auf \"OK\"", 1);
    announcement.show(u"", 1);
    announcement.forget();
    announcement.show(u"", 1);
    announcement.show(u"Linker Mausklick auf \"OK\"", 1);
    announcement.forget();
    announcement.show(u"Linker Mausklick auf \"OK\"", 1);

    const std::vector<String> shown = {
        u"Bitte öffne die Anwendung 'Editor'", u"Linker Mausklick auf \"OK\"", u"", u"",
        u"Linker Mausklick auf \"OK\"",        u"Linker Mausklick auf \"OK\""};
    EXPECT_EQ(view.shown, shown);
    const std::vector<String> announced = {
        u"Bitte öffne die Anwendung 'Editor'", u"Linker Mausklick auf \"OK\"",
        u"Linker Mausklick auf \"OK\"", u"Linker Mausklick auf \"OK\"",
        u"Linker Mausklick auf \"OK\""};
    EXPECT_EQ(view.announced, announced);
}
