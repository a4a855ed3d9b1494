#include "dialogs/win/Template.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace WindowTestSupport;

namespace {

// A template opened hidden, just to look at it.
class Opened : public Template {
  public:
    explicit Opened(int id) { create(id, nullptr, true, false); }
    ~Opened() override { close(0); }
    LONG_PTR style() const { return GetWindowLongPtrW(window, GWL_STYLE); }
    LONG_PTR exStyle() const { return GetWindowLongPtrW(window, GWL_EXSTYLE); }
    LONG_PTR itemStyle(int id) const {
        return GetWindowLongPtrW(GetDlgItem(window, id), GWL_STYLE);
    }
    String className(int id) const {
        wchar_t name[64] = {};
        GetClassNameW(GetDlgItem(window, id), name, 63);
        return fromWide(name);
    }
    // Texts of all child controls, also those without an id.
    std::vector<String> childTexts() const {
        std::vector<String> texts;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            texts.push_back(windowText(child));
        return texts;
    }
    bool hasChildText(const String& text) const {
        for (const String& t : childTexts())
            if (t == text)
                return true;
        return false;
    }
    // The client area in dialog units.
    SIZE dialogUnits() const {
        RECT units{0, 0, 100, 100};
        MapDialogRect(window, &units);
        RECT client{};
        GetClientRect(window, &client);
        return SIZE{MulDiv(client.right, 100, units.right),
                    MulDiv(client.bottom, 100, units.bottom)};
    }
};

} // namespace

TEST(Resources, EveryDialogHasItsGermanCaption) {
    struct Caption {
        int id;
        const char16_t* text;
    } captions[] = {
        {IDD_SOLUTION_CAPTURE, u"Lösung aufnehmen"},
        {IDD_SOLUTION_NAVIGATOR, u"Solution navigator"},
        {IDD_DEBUG, u"Debug"},
        {IDD_NEW_VERSION, u"Neue Version verfügbar"},
        {IDD_CREATE_TICKET, u"Ticket anlegen"},
        {IDD_SOLVE_TICKET, u"Tickets lösen"},
        {IDD_TICKET_OVERVIEW, u"Ticket Übersicht"},
        {IDD_SOLUTION_NOTIFICATION, u"Deine Suche wurde gelöst!"},
        {IDD_FEEDBACK, u"War die Lösung hilfreich?"},
        {IDD_SETTINGS, u"Einstellungen"},
        {IDD_INFO, u"Info"},
    };
    for (const Caption& c : captions) {
        Opened dialog(c.id);
        ASSERT_NE(dialog.window, nullptr) << c.id;
        EXPECT_EQ(windowText(dialog.window), String(c.text)) << c.id;
        EXPECT_FALSE(IsWindowVisible(dialog.window)) << c.id;
    }
}

TEST(Resources, MainWindowTemplate) {
    Opened main(IDD_MAIN);
    EXPECT_FALSE(main.style() & WS_VISIBLE);
    EXPECT_EQ(main.style() & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    SIZE size = main.dialogUnits();
    EXPECT_NEAR(size.cx, 495, 1);
    EXPECT_NEAR(size.cy, 206, 1);

    EXPECT_EQ(itemText(main.window, IDC_MAIN_PICK), String(u"Software wählen"));
    EXPECT_EQ(itemText(main.window, IDC_MAIN_SHOW_SOLUTION), String(u"Lösung zeigen"));
    EXPECT_EQ(itemText(main.window, IDC_MAIN_CREATE_TICKET), String(u"Neues Ticket anlegen"));
    EXPECT_EQ(itemText(main.window, IDC_MAIN_SOLVE_TICKETS), String(u"Tickets lösen"));
    EXPECT_EQ(itemText(main.window, IDC_MAIN_QUESTION_GROUP), String(u"Nach was suchst du?"));
    EXPECT_EQ(itemText(main.window, IDC_MAIN_TICKET_COUNT), String(u"0"));
    EXPECT_TRUE(main.hasChildText(u"Nicht gefunden? Software auf dem Bildschirm wählen:"));
    EXPECT_TRUE(main.hasChildText(u"Lösung nicht gefunden?"));
    EXPECT_TRUE(main.hasChildText(u"Bei welcher Software brauchst du Hilfe?"));
    EXPECT_TRUE(main.hasChildText(u"Helfe anderen!"));
    EXPECT_TRUE(main.hasChildText(u"Tickets warten auf deine Hilfe!"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main.window, IDC_MAIN_SHOW_SOLUTION)));

    for (int id : {IDC_MAIN_SOFTWARE, IDC_MAIN_QUESTION}) {
        EXPECT_EQ(main.className(id), String(u"ComboBox"));
        EXPECT_EQ(main.itemStyle(id) & 3, CBS_DROPDOWN) << id;
        EXPECT_TRUE(main.itemStyle(id) & CBS_SORT) << id;
    }
    EXPECT_EQ(main.itemStyle(IDC_MAIN_LANGUAGE) & 3, CBS_DROPDOWNLIST);
    EXPECT_TRUE(main.itemStyle(IDC_MAIN_LANGUAGE) & CBS_SORT);
}

TEST(Resources, DialogStylesAndControls) {
    Opened recorder(IDD_SOLUTION_CAPTURE);
    EXPECT_EQ(recorder.exStyle() & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    EXPECT_EQ(itemText(recorder.window, IDC_CAPTURE_RECORD), String(u"Aufnahme starten"));
    EXPECT_EQ(recorder.className(IDC_CAPTURE_LIST), String(u"ListBox"));
    EXPECT_TRUE(recorder.itemStyle(IDC_CAPTURE_LIST) & LBS_NOTIFY);
    EXPECT_FALSE(recorder.itemStyle(IDC_CAPTURE_LIST) & LBS_SORT);
    EXPECT_TRUE(recorder.itemStyle(IDC_CAPTURE_QUESTION) & ES_READONLY);
    EXPECT_TRUE(recorder.itemStyle(IDC_CAPTURE_QUESTION) & ES_MULTILINE);
    EXPECT_TRUE(recorder.itemStyle(IDC_CAPTURE_HOVERED) & ES_READONLY);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(recorder.window, IDC_CAPTURE_SAVE)));

    Opened navigator(IDD_SOLUTION_NAVIGATOR);
    EXPECT_TRUE(navigator.exStyle() & WS_EX_TOPMOST);
    EXPECT_TRUE(
        navigator.hasChildText(u"Bitte führe folgende Aktion im markierten Bereich aus..."));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(navigator.window, WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(fromWide(font.lfFaceName), String(u"MS Shell Dlg"));
    EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(GetDC(nullptr), LOGPIXELSY), 72));
    SIZE size = navigator.dialogUnits();
    EXPECT_NEAR(size.cx, 213, 1);
    EXPECT_NEAR(size.cy, 98, 1);

    Opened newVersion(IDD_NEW_VERSION);
    EXPECT_FALSE(newVersion.itemStyle(IDC_NEW_VERSION_RETRY) & WS_VISIBLE);
    EXPECT_EQ(itemText(newVersion.window, IDC_NEW_VERSION_DOWNLOAD), String(u"Download"));

    Opened createTicket(IDD_CREATE_TICKET);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(createTicket.window, IDC_CREATE_SOFTWARE)));
    EXPECT_TRUE(createTicket.itemStyle(IDC_CREATE_QUESTION) & ES_READONLY);

    Opened solve(IDD_SOLVE_TICKET);
    EXPECT_TRUE(solve.style() & WS_THICKFRAME);
    EXPECT_EQ(solve.className(IDC_SOLVE_GRID_HOST), String(u"Static"));

    Opened overview(IDD_TICKET_OVERVIEW);
    EXPECT_EQ(itemText(overview.window, IDC_OVERVIEW_SOLVE), String(u"Ticket lösen"));
    EXPECT_TRUE(overview.hasChildText(u"Dein Betriebssystem:"));

    Opened notification(IDD_SOLUTION_NOTIFICATION);
    EXPECT_EQ(itemText(notification.window, IDCLOSE), String(u"Schließen"));
    EXPECT_EQ(itemText(notification.window, IDC_NOTIFICATION_SHOW), String(u"Lösung zeigen"));

    Opened feedback(IDD_FEEDBACK);
    EXPECT_TRUE(feedback.style() & WS_CAPTION);
    EXPECT_FALSE(feedback.style() & WS_SYSMENU); // no close box
    EXPECT_EQ(itemText(feedback.window, IDC_FEEDBACK_YES), String(u"Ja"));
    EXPECT_EQ(itemText(feedback.window, IDC_FEEDBACK_NO), String(u"Nein"));

    Opened settings(IDD_SETTINGS);
    EXPECT_EQ(itemText(settings.window, IDC_SETTINGS_AUTOSTART),
              String(u"Automatisch mit Windows starten"));
    EXPECT_EQ(settings.itemStyle(IDC_SETTINGS_AUTOSTART) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(settings.itemStyle(IDOK) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    Opened info(IDD_INFO);
    EXPECT_EQ(itemText(info.window, IDC_INFO_OS_NAME_LABEL), String(u"Beschreibung:"));
    EXPECT_EQ(itemText(info.window, IDC_INFO_MAKER), String(u"Nordlicht"));
    EXPECT_TRUE(info.hasChildText(u"lotse.exe"));
}

TEST(Resources, TrayMenuAndIcons) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 5);
    struct Item {
        UINT id;
        const char16_t* text;
    } items[] = {{ID_TRAY_OPEN, u"Öffnen"},
                 {ID_TRAY_SETTINGS, u"Einstellungen"},
                 {ID_TRAY_INFO, u"Info"},
                 {0, u""},
                 {ID_TRAY_QUIT, u"Beenden"}};
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(popup, i, text, 63, MF_BYPOSITION);
        EXPECT_EQ(fromWide(text), String(items[i].text)) << i;
        if (items[i].id) {
            EXPECT_EQ(GetMenuItemID(popup, i), items[i].id) << i;
        }
    }
    EXPECT_TRUE(GetMenuState(popup, 3, MF_BYPOSITION) & MF_SEPARATOR);
    DestroyMenu(menu);

    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(IDI_MAIN)), nullptr);
    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(IDI_LOTSE)), nullptr);
}

TEST(Resources, VersionInformation) {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);

    auto value = [&](const wchar_t* name) {
        wchar_t query[128];
        swprintf(query, 128, L"\\StringFileInfo\\040704b0\\%ls", name);
        wchar_t* text = nullptr;
        UINT n = 0;
        if (!VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&text), &n) || !text)
            return String();
        return fromWide(text);
    };
    EXPECT_EQ(value(L"ProductName"), String(u"Lotse"));
    EXPECT_EQ(value(L"FileDescription"), String(u"Lotse"));
    EXPECT_EQ(value(L"FileVersion"), String(u"1.0.2"));
    EXPECT_EQ(value(L"ProductVersion"), String(u"1.0.2"));
    EXPECT_EQ(value(L"CompanyName"), String(u"Nordlicht"));
    EXPECT_EQ(value(L"LegalCopyright"), String(u"© Nordlicht"));
}
