#include "app/win/Lotse.h"
#include "app/win/TrayIcon.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace WindowTestSupport;

namespace {

// The application object's main window, created hidden as at start-up.
class MainWindowShell : public testing::Test {
  protected:
    void SetUp() override {
        lotse.quit = 0;
        mainWindow.create(IDD_MAIN, nullptr, true, false);
        ASSERT_NE(mainWindow.window, nullptr);
        ShowWindow(mainWindow.window, SW_HIDE);
    }
    void TearDown() override { lotse.quit = 0; }

    void settingChange(WPARAM wParam) {
        SendMessageW(mainWindow.window, WM_SETTINGCHANGE, wParam, 0);
    }
    void command(UINT id) { SendMessageW(mainWindow.window, WM_COMMAND, id, 0); }
    bool visible() const { return IsWindowVisible(mainWindow.window); }

    Lotse& lotse = Lotse::instance();
    MainWindow& mainWindow = lotse.mainWindow;
};

// Holds the setup's mutex while it lives.
struct SetupRunning {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"LotseSetup");
    ~SetupRunning() { CloseHandle(mutex); }
};

} // namespace

TEST_F(MainWindowShell, StartsHiddenWithTitleAndVersion) {
    EXPECT_FALSE(visible());
    EXPECT_EQ(windowText(mainWindow.window), String(u"Lotse - 1.0.2"));
    EXPECT_EQ(lotse.title, String(u"Lotse"));
    EXPECT_EQ(lotse.version, String(u"1.0.2"));
    ASSERT_EQ(lotse.buildDate.length(), 10);
    EXPECT_EQ(lotse.buildDate[2], u'.');
    EXPECT_EQ(lotse.buildDate[5], u'.');
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(mainWindow.window, IDC_MAIN_CREATE_TICKET)));
    EXPECT_EQ(mainWindow.modeless, 1);

    // A second creation request only brings the existing window forward.
    HWND first = mainWindow.window;
    mainWindow.create(IDD_MAIN, nullptr, true, false);
    EXPECT_EQ(mainWindow.window, first);
    EXPECT_EQ(threadWindowsTitled(u"Lotse - 1.0.2"), 1);
}

TEST_F(MainWindowShell, ShowsAndHidesOnCommandsAndSecondStartBroadcast) {
    settingChange(0xFFFE); // a second start
    EXPECT_TRUE(visible());
    command(IDCANCEL); // close box: hide only
    EXPECT_FALSE(visible());
    EXPECT_TRUE(IsWindow(mainWindow.window));

    command(ID_TRAY_OPEN);
    EXPECT_TRUE(visible());
    command(IDCLOSE);
    EXPECT_FALSE(visible());

    SendMessageW(mainWindow.window, TrayIcon::callbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(visible());
    SendMessageW(mainWindow.window, WM_QUIT, 0, 0); // reaching the window: hide
    EXPECT_FALSE(visible());

    // Other broadcasts change nothing.
    settingChange(0);
    settingChange(0xFFFF); // no setup running: not a quit request
    EXPECT_FALSE(visible());
    EXPECT_EQ(lotse.quit, 0);
    EXPECT_TRUE(IsWindow(mainWindow.window));
}

TEST_F(MainWindowShell, WhileTheSetupRunsBroadcastsDoNotShowAndQuitRequestEnds) {
    {
        SetupRunning setup;
        settingChange(0xFFFE);
        EXPECT_FALSE(visible());
        EXPECT_EQ(lotse.quit, 0);
        settingChange(0xFFFF);
        EXPECT_EQ(lotse.quit, 1);
        EXPECT_FALSE(visible());
    }
    lotse.quit = 0;
    settingChange(0xFFFE); // the setup has ended
    EXPECT_TRUE(visible());
}

TEST_F(MainWindowShell, TrayMenuQuitSetsTheQuitFlag) {
    command(ID_TRAY_QUIT);
    EXPECT_EQ(lotse.quit, 1);
}

TEST_F(MainWindowShell, SettingsAndInfoOpenModalOnceAndComeToFrontWhenOpen) {
    struct Case {
        UINT command;
        Template* dialog;
        const char16_t* caption;
    } cases[] = {{ID_TRAY_SETTINGS, &lotse.settings, u"Einstellungen"},
                 {ID_TRAY_INFO, &lotse.info, u"Info"}};
    for (const Case& c : cases) {
        HWND opened = nullptr;
        int windowsWhileOpen = 0;
        TimedSteps steps({[&] {
                              opened = c.dialog->window;
                              // A second request while the dialog is open.
                              PostMessageW(mainWindow.window, WM_COMMAND, c.command, 0);
                          },
                          [&] {
                              windowsWhileOpen = threadWindowsTitled(c.caption);
                              PostMessageW(c.dialog->window, WM_COMMAND, IDCANCEL, 0);
                          }});
        command(c.command); // returns when the modal dialog has closed
        EXPECT_TRUE(steps.finished());
        EXPECT_NE(opened, nullptr);
        EXPECT_EQ(c.dialog->modeless, 0);
        EXPECT_EQ(windowsWhileOpen, 1);
        EXPECT_EQ(threadWindowsTitled(c.caption), 0);
        EXPECT_EQ(c.dialog->window, nullptr);
    }
}
