#include "service/SoftwareCatalogue.h"
#include "automation/win/WindowTreeClient.h"
#include "playback/win/SolutionNavigator.h"
#include "playback/win/SolutionNotification.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

// The navigator's steps, its frames, the feedback and the instruction read out
// as a live region are driven natively (SolutionPlayback, Announcement) and for
// real by tests/e2e/share-solution.test.sh.

using namespace WindowTestSupport;

namespace {

// A ticket of the software "Testprogramm - v2.5" whose one step is a left click
// in a program that is not running.
Ticket missingProgramTicket(int id, const String& question) {
    SoftwareEntry& entry = SoftwareCatalogue::instance().entry(990001);
    entry.id = 990001;
    entry.file_desc = u"Testprogramm";
    entry.file_version = u"2.5";
    Ticket ticket;
    ticket.id = id;
    ticket.id_state = TicketSolved;
    ticket.software_list = {990001};
    ticket.question = question;
    CaptureAction click;
    click.kind = Action::leftClick;
    click.trace.elements.resize(1);
    click.trace.elements[0].moduleName = u"nosuch.exe";
    ticket.capture.actions = {click};
    return ticket;
}

} // namespace

// A second solved ticket while the notification is open keeps the question
// shown, but "Lösung zeigen" plays the latest.
TEST(SolutionNotification, ShowsTheFirstTicketAndPlaysTheLatest) {
    WindowTreeClient tree;
    AutomationClient* client = &tree;
    int mainShown = 0;
    SolutionNotification notification(client, [&] { ++mainShown; });
    notification.announce(missingProgramTicket(1, u"Wie komme ich weiter?"));
    HWND window = threadWindowTitled(u"Deine Suche wurde gelöst!");
    ASSERT_NE(window, nullptr);
    notification.announce(missingProgramTicket(5, u"Eine andere Frage"));
    EXPECT_EQ(threadWindowTitled(u"Deine Suche wurde gelöst!"), window);
    EXPECT_EQ(itemText(window, IDC_NOTIFICATION_QUESTION), String(u"Wie komme ich weiter?"));
    EXPECT_EQ(itemText(window, IDC_NOTIFICATION_SOFTWARE), String(u"Testprogramm - v2.5"));

    SendMessageW(window, WM_COMMAND, IDC_NOTIFICATION_SHOW, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(notification.navigator.playback().ticket().id, 5);
    HWND navigator = threadWindowTitled(u"Solution navigator");
    ASSERT_NE(navigator, nullptr);
    SendMessageW(navigator, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(navigator));
    EXPECT_EQ(mainShown, 1);
}
