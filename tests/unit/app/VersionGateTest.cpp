#include "app/VersionGate.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

// Plays the service's replies and the user's answers in order and notes what the
// gate did.
struct Script {
    std::deque<String> replies; // an exhausted list answers empty
    std::deque<bool> retries;   // the user's answers to the dialog
    int fetches = 0;
    std::vector<int> waits;
    std::vector<std::pair<String, String>> dialogs;

    VersionGate gate() {
        VersionGate g;
        g.fetch = [this] {
            ++fetches;
            if (replies.empty())
                return String();
            String r = replies.front();
            replies.pop_front();
            return r;
        };
        g.wait = [this](int ms) { waits.push_back(ms); };
        g.showNewVersion = [this](const String& own, const String& newer) {
            dialogs.emplace_back(own, newer);
            bool retry = !retries.empty() && retries.front();
            if (!retries.empty())
                retries.pop_front();
            return retry;
        };
        return g;
    }
};

} // namespace

TEST(VersionGate, SameVersionGoesOnAndSpacesDoNotCount) {
    Script s;
    s.replies = {u"  1.0.2 "};
    EXPECT_TRUE(s.gate().check(u"1.0.2"));
    EXPECT_EQ(s.fetches, 1);
    EXPECT_TRUE(s.waits.empty());
    EXPECT_TRUE(s.dialogs.empty());
}

TEST(VersionGate, OtherVersionShowsBothAndEnds) {
    Script s;
    s.replies = {u"1.0.3"};
    s.retries = {true}; // whatever the user does
    EXPECT_FALSE(s.gate().check(u"1.0.2"));
    ASSERT_EQ(s.dialogs.size(), 1u);
    EXPECT_EQ(s.dialogs[0].first, String(u"1.0.2"));
    EXPECT_EQ(s.dialogs[0].second, String(u"1.0.3"));

    // A line break is not removed: it is another version.
    Script t;
    t.replies = {u"1.0.2\n"};
    EXPECT_FALSE(t.gate().check(u"1.0.2"));
    ASSERT_EQ(t.dialogs.size(), 1u);
    EXPECT_EQ(t.dialogs[0].second, String(u"1.0.2\n"));
}

TEST(VersionGate, AnswerOnALaterAttemptAfterWaits) {
    Script s;
    s.replies = {u"", u" ", u"1.0.2"};
    EXPECT_TRUE(s.gate().check(u"1.0.2"));
    EXPECT_EQ(s.fetches, 3);
    EXPECT_EQ(s.waits, (std::vector<int>{180000, 180000}));
    EXPECT_TRUE(s.dialogs.empty());
}

TEST(VersionGate, FiveEmptyRepliesThenClosingTheDialogGoesOn) {
    Script s;
    s.retries = {false};
    EXPECT_TRUE(s.gate().check(u"1.0.2"));
    EXPECT_EQ(s.fetches, 5);
    EXPECT_EQ(s.waits, std::vector<int>(5, 180000)); // also after the fifth
    ASSERT_EQ(s.dialogs.size(), 1u);
    EXPECT_EQ(s.dialogs[0].first, String(u"1.0.2"));
    EXPECT_TRUE(s.dialogs[0].second.empty());
}

TEST(VersionGate, RetriesWithoutWaitingUntilAnAnswerDecides) {
    // Still unreachable: the dialog comes again at once; then the same version.
    Script same;
    same.retries = {true, true};
    same.replies = {u"", u"", u"", u"", u"", u"", u"1.0.2"};
    EXPECT_TRUE(same.gate().check(u"1.0.2"));
    EXPECT_EQ(same.fetches, 7);
    EXPECT_EQ(same.waits.size(), 5u);
    EXPECT_EQ(same.dialogs.size(), 2u);

    // Retry answered with another version: ends without another dialog.
    Script other;
    other.retries = {true};
    other.replies = {u"", u"", u"", u"", u"", u"2.0"};
    EXPECT_FALSE(other.gate().check(u"1.0.2"));
    EXPECT_EQ(other.dialogs.size(), 1u);
}

TEST(VersionGate, DialogTexts) {
    NewVersionTexts error = NewVersionTexts::make(u"1.0.2", u"");
    EXPECT_TRUE(error.connectionError);
    EXPECT_EQ(error.versionsText(), String(u"1.0.2\n\n[Verbindungsfehler]"));
    NewVersionTexts newer = NewVersionTexts::make(u"1.0.2", u"1.0.3");
    EXPECT_FALSE(newer.connectionError);
    EXPECT_EQ(newer.versionsText(), String(u"1.0.2\n\n1.0.3"));
    EXPECT_EQ(versionText(u" 1. 0 .2\r\n"), String(u"1.0.2\r\n"));
}
