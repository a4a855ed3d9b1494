#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"
#include "tests/win/DialogSteps.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace WindowTestSupport;
using namespace DialogStepsSupport;

namespace {

const String newVersionTitle(u"Neue Version verf\u00fcgbar");
const String headline(u"Es ist eine neue Software-Version verf\u00fcgbar:");
const String labels(u"Ihre Version:\n\nNeue Version:");

// Nothing listens on this port (reserved, and a service never runs as root here).
constexpr int closedPort = 1;

// Points the service client at another port while it lives.
class ServiceOnPort {
  public:
    explicit ServiceOnPort(int port)
        : savedHost(ServiceClient::host()), savedPort(ServiceClient::port()) {
        ServiceClient::setServer(u"localhost", port);
    }
    ~ServiceOnPort() { ServiceClient::setServer(savedHost, savedPort); }

  private:
    String savedHost;
    int savedPort;
};

// What one NewVersion dialog showed.
struct Shown {
    HWND window = nullptr;
    String headline;
    String labels;
    String versions;
    String download;
    bool retryVisible = false;
};

Shown inspect(HWND dialog) {
    Shown shown;
    shown.window = dialog;
    shown.headline = itemText(dialog, IDC_NEW_VERSION_HEADLINE);
    shown.labels = itemText(dialog, IDC_NEW_VERSION_LABELS);
    shown.versions = itemText(dialog, IDC_NEW_VERSION_VALUES);
    shown.download = itemText(dialog, IDC_NEW_VERSION_DOWNLOAD);
    shown.retryVisible = IsWindowVisible(GetDlgItem(dialog, IDC_NEW_VERSION_RETRY));
    return shown;
}

std::vector<int> waits;
void recordWait(int milliseconds) {
    waits.push_back(milliseconds);
}

// The gate of the application object with recorded instead of real waits.
class VersionGateTest : public testing::Test {
  protected:
    void SetUp() override {
        waits.clear();
        lotse.versionWait = recordWait;
    }
    void TearDown() override { lotse.versionWait = nullptr; }

    static DialogSteps::Step whenDialogOpen(std::function<void(HWND)> action) {
        return {[] { return threadWindowTitled(newVersionTitle) != nullptr; },
                [action] { action(threadWindowTitled(newVersionTitle)); }};
    }
    static void giveUp() { closeThreadWindows(newVersionTitle); }

    Lotse& lotse = Lotse::instance();
};

} // namespace

TEST_F(VersionGateTest, OwnVersionLetsStartUpGoOnWithoutDialog) {
    if (WinTestEnvironment::servicePort() == 0)
        GTEST_SKIP() << "needs --service-port";
    ServiceOnPort service(WinTestEnvironment::servicePort());
    int dialogs = 0;
    DialogSteps watch({whenDialogOpen([&](HWND) {
                          ++dialogs;
                          giveUp();
                      })},
                      giveUp);
    EXPECT_TRUE(lotse.checkVersion());
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(waits.empty());
}

TEST_F(VersionGateTest, NewerVersionShowsBothVersionsAndEndsStartUp) {
    const int port = WinTestEnvironment::newerServicePort();
    if (port == 0)
        GTEST_SKIP() << "needs --newer-service-port (a service naming version 1.0.3)";
    ServiceOnPort service(port);
    Shown shown;
    const DWORD hold = static_cast<DWORD>(WinTestEnvironment::holdDialogMs());
    DWORD openedAt = 0;
    DialogSteps steps({whenDialogOpen([&](HWND dialog) {
                           shown = inspect(dialog);
                           openedAt = GetTickCount();
                       }),
                       {[&] { return GetTickCount() - openedAt >= hold; },
                        [&] { PostMessageW(shown.window, WM_COMMAND, IDCANCEL, 0); }}},
                      giveUp, 20000 + static_cast<int>(hold));

    EXPECT_FALSE(lotse.checkVersion());
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(shown.headline, headline);
    EXPECT_EQ(shown.labels, labels);
    EXPECT_EQ(shown.versions, String(u"1.0.2\n\n1.0.3"));
    EXPECT_EQ(shown.download, String(u"Download"));
    EXPECT_FALSE(shown.retryVisible);
    EXPECT_TRUE(waits.empty());
    EXPECT_FALSE(IsWindow(shown.window)); // closed, and nothing else opened
    EXPECT_EQ(threadWindowTitled(newVersionTitle), nullptr);
}

TEST_F(VersionGateTest, UnreachableServiceWaitsFiveTimesThenOffersRetryUntilClosed) {
    ServiceOnPort service(closedPort);
    Shown first;
    Shown second;
    const DWORD hold = static_cast<DWORD>(WinTestEnvironment::holdDialogMs());
    DWORD openedAt = 0;
    DialogSteps steps({whenDialogOpen([&](HWND dialog) {
                           first = inspect(dialog);
                           openedAt = GetTickCount();
                       }),
                       {[&] { return GetTickCount() - openedAt >= hold; },
                        [&] {
                            // Still unreachable: the dialog comes again at once.
                            SendMessageW(GetDlgItem(first.window, IDC_NEW_VERSION_RETRY), BM_CLICK,
                                         0, 0);
                        }},
                       {[&] {
                            HWND dialog = threadWindowTitled(newVersionTitle);
                            return dialog && dialog != first.window;
                        },
                        [&] {
                            second = inspect(threadWindowTitled(newVersionTitle));
                            PostMessageW(second.window, WM_COMMAND, IDCLOSE, 0);
                        }}},
                      giveUp, 20000 + static_cast<int>(hold));

    EXPECT_TRUE(lotse.checkVersion()); // closed: start-up goes on unchecked
    EXPECT_TRUE(steps.finished());
    // Five attempts, each followed by the three-minute wait; none after a retry.
    EXPECT_EQ(waits, std::vector<int>(5, 180000));
    for (const Shown* shown : {&first, &second}) {
        EXPECT_EQ(shown->headline, headline);
        EXPECT_EQ(shown->versions, String(u"1.0.2\n\n[Verbindungsfehler]"));
        EXPECT_TRUE(shown->retryVisible);
    }
    EXPECT_NE(second.window, nullptr);
    EXPECT_EQ(threadWindowTitled(newVersionTitle), nullptr);
}

TEST_F(VersionGateTest, RetryReachingTheServiceDecidesWithoutAnotherDialog) {
    if (WinTestEnvironment::servicePort() == 0)
        GTEST_SKIP() << "needs --service-port";
    ServiceOnPort service(closedPort);
    int dialogs = 0;
    DialogSteps steps({whenDialogOpen([&](HWND dialog) {
                           ++dialogs;
                           // The service is back before the user retries.
                           ServiceClient::setServer(u"localhost",
                                                    WinTestEnvironment::servicePort());
                           SendMessageW(GetDlgItem(dialog, IDC_NEW_VERSION_RETRY), BM_CLICK, 0, 0);
                       }),
                       whenDialogOpen([&](HWND) {
                           ++dialogs;
                           giveUp();
                       })},
                      giveUp, 5000);

    EXPECT_TRUE(lotse.checkVersion()); // the own version answered the retry
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(waits.size(), 5u);
}
