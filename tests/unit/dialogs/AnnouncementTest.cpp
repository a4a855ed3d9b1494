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
    const String open = u"Bitte öffne die Anwendung 'Editor'";
    const String click = u"Linker Mausklick auf \"OK\"";
    RecordingView view;
    Announcement announcement(view);
    announcement.show(open, -1);
    announcement.show(open, -1);
    announcement.show(click, 0);
    announcement.show(click, 1);
    announcement.show(u"", 1);
    announcement.forget();
    announcement.show(u"", 1);
    announcement.show(click, 1);
    announcement.forget();
    announcement.show(click, 1);

    EXPECT_EQ(view.shown, (std::vector<String>{open, click, u"", u"", click, click}));
    EXPECT_EQ(view.announced, (std::vector<String>{open, click, click, click, click}));
}
