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

TEST(VersionGate, RepliesAndAnswersDecideWhetherTheProgramGoesOn) {
    struct Case {
        std::deque<String> replies;
        std::deque<bool> retries;
        bool goesOn;
        int fetches, waits;
        std::vector<String> dialogs; // the versions shown beside the own 1.0.2
    };
    const String none;
    const Case cases[] = {
        // The same version; spaces do not count, a line break does.
        {{u"  1.0.2 "}, {}, true, 1, 0, {}},
        {{u"1.0.3"}, {true}, false, 1, 0, {u"1.0.3"}},
        {{u"1.0.2\n"}, {}, false, 1, 0, {u"1.0.2\n"}},
        // No answer: up to five attempts three minutes apart, then the dialog.
        {{none, u" ", u"1.0.2"}, {}, true, 3, 2, {}},
        {{}, {false}, true, 5, 5, {none}},
        // Retry asks again at once until an answer decides.
        {{none, none, none, none, none, none, u"1.0.2"}, {true, true}, true, 7, 5, {none, none}},
        {{none, none, none, none, none, u"2.0"}, {true}, false, 6, 5, {none}},
    };
    for (const Case& c : cases) {
        Script s;
        s.replies = c.replies;
        s.retries = c.retries;
        EXPECT_EQ(s.gate().check(u"1.0.2"), c.goesOn) << c.fetches;
        EXPECT_EQ(s.fetches, c.fetches);
        EXPECT_EQ(s.waits, std::vector<int>(c.waits, 180000)) << c.fetches;
        std::vector<String> shown;
        for (const auto& [own, newer] : s.dialogs) {
            EXPECT_EQ(own, String(u"1.0.2"));
            shown.push_back(newer);
        }
        EXPECT_EQ(shown, c.dialogs) << c.fetches;
    }
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
