#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

// The gate's decisions are tested natively (VersionGate); here the dialog shows
// them against real services. tests/e2e/settings-info.test.sh holds both tests'
// dialogs open for pictures (--hold-dialog-ms).

using namespace WindowTestSupport;

namespace {

const String newVersionTitle(u"Neue Version verf\u00fcgbar");

// What a new-version dialog shows, one line per control; "retry" when its
// retry button is visible.
String shown(HWND dialog) {
    String text;
    for (int id : {IDC_NEW_VERSION_HEADLINE, IDC_NEW_VERSION_LABELS, IDC_NEW_VERSION_VALUES,
                   IDC_NEW_VERSION_DOWNLOAD})
        text += itemText(dialog, id) + String(u"|");
    return text +
           String(IsWindowVisible(GetDlgItem(dialog, IDC_NEW_VERSION_RETRY)) ? u"retry" : u"");
}

String expected(const char16_t* newVersion, const char16_t* retry) {
    return String(u"Es ist eine neue Software-Version verf\u00fcgbar:|Ihre Version:\n\nNeue "
                  u"Version:|1.0.2\n\n") +
           String(newVersion) + String(u"|Download|") + String(retry);
}

std::vector<int> waits;

// The application object's gate on another port, with recorded instead of real
// waits; the dialog is closed by `close` once it was held open as long as asked.
class VersionGateTest : public testing::Test {
  protected:
    void SetUp() override {
        waits.clear();
        lotse.versionWait = [](int milliseconds) { waits.push_back(milliseconds); };
    }
    void TearDown() override {
        lotse.versionWait = nullptr;
        ServiceClient::setServer(savedHost, savedPort);
    }

    DialogSteps::Step held(std::function<void(HWND)> close) {
        return {[this] {
                    HWND dialog = threadWindowTitled(newVersionTitle);
                    if (dialog && !openedAt)
                        openedAt = GetTickCount();
                    return dialog && GetTickCount() - openedAt >=
                                         static_cast<DWORD>(WinTestEnvironment::holdDialogMs);
                },
                [close] { close(threadWindowTitled(newVersionTitle)); }};
    }
    static void giveUp() { closeThreadWindows(newVersionTitle); }

    // Runs the gate against the service on `port`, its one dialog closed by
    // `command` once held; what it returned, with what the dialog showed in `seen`.
    bool gateClosedWith(int port, WPARAM command, String& seen) {
        ServiceClient::setServer(u"localhost", port);
        DialogSteps steps({held([&](HWND dialog) {
                              seen = shown(dialog);
                              PostMessageW(dialog, WM_COMMAND, command, 0);
                          })},
                          giveUp, limitMs);
        const bool passed = lotse.checkVersion();
        EXPECT_TRUE(steps.finished());
        return passed;
    }

    Lotse& lotse = Lotse::instance();
    String savedHost = ServiceClient::host();
    int savedPort = ServiceClient::port();
    DWORD openedAt = 0;
    const int limitMs = 20000 + WinTestEnvironment::holdDialogMs;
};

} // namespace

TEST_F(VersionGateTest, NewerVersionShowsBothVersionsAndEndsStartUp) {
    if (WinTestEnvironment::newerServicePort == 0)
        GTEST_SKIP() << "needs --newer-service-port (a service naming version 1.0.3)";
    String seen;
    EXPECT_FALSE(gateClosedWith(WinTestEnvironment::newerServicePort, IDCANCEL, seen));
    EXPECT_EQ(seen, expected(u"1.0.3", u""));
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(threadWindowTitled(newVersionTitle), nullptr);
}

TEST_F(VersionGateTest, UnreachableServiceWaitsFiveTimesThenOffersRetryUntilClosed) {
    ServiceClient::setServer(u"localhost", 1); // nothing listens there
    HWND first = nullptr;
    String seenFirst, seenSecond;
    DialogSteps steps({held([&](HWND dialog) {
                           first = dialog;
                           seenFirst = shown(dialog);
                           // Still unreachable: the dialog comes again at once.
                           SendMessageW(GetDlgItem(dialog, IDC_NEW_VERSION_RETRY), BM_CLICK, 0, 0);
                       }),
                       {[&] {
                            HWND dialog = threadWindowTitled(newVersionTitle);
                            return dialog && dialog != first;
                        },
                        [&] {
                            HWND second = threadWindowTitled(newVersionTitle);
                            seenSecond = shown(second);
                            PostMessageW(second, WM_COMMAND, IDCLOSE, 0);
                        }}},
                      giveUp, limitMs);
    EXPECT_TRUE(lotse.checkVersion()); // closed: start-up goes on unchecked
    EXPECT_TRUE(steps.finished());
    // Five attempts, each followed by the three-minute wait; none after a retry.
    EXPECT_EQ(waits, std::vector<int>(5, 180000));
    EXPECT_EQ(seenFirst, expected(u"[Verbindungsfehler]", u"retry"));
    EXPECT_EQ(seenSecond, seenFirst);
    EXPECT_EQ(threadWindowTitled(newVersionTitle), nullptr);
}

TEST_F(VersionGateTest, ProxyErrorPageCountsAsNoConnection) {
    if (WinTestEnvironment::errorPagePort == 0)
        GTEST_SKIP() << "needs --error-page-port (a server answering 502)";
    String seen;
    EXPECT_TRUE(gateClosedWith(WinTestEnvironment::errorPagePort, IDCLOSE, seen));
    EXPECT_EQ(waits, std::vector<int>(5, 180000));
    EXPECT_EQ(seen, expected(u"[Verbindungsfehler]", u"retry"));
}
