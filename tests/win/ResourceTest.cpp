#include "dialogs/win/Template.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace WindowTestSupport;

namespace {

// A template opened hidden, just to look at it.
class Opened : public Template {
  public:
    explicit Opened(int id) { create(id, nullptr, true, false); }
    ~Opened() override { close(0); }
    bool hasChildText(const String& text) const {
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (windowText(child) == text)
                return true;
        return false;
    }
};

constexpr int caption = 0;     // the dialog's own text or style
constexpr int anyControl = -1; // some child holds the text

} // namespace

TEST(Resources, DialogsCarryTheirGermanTextsStylesAndControls) {
    std::map<int, std::unique_ptr<Opened>> opened;
    auto dialog = [&](int id) -> Opened& {
        auto& slot = opened[id];
        if (!slot)
            slot = std::make_unique<Opened>(id);
        return *slot;
    };
    struct Text {
        int dialog, control;
        const char16_t* text;
    } texts[] = {
        {IDD_MAIN, IDC_MAIN_PICK, u"Software wählen"},
        {IDD_MAIN, IDC_MAIN_SHOW_SOLUTION, u"Lösung zeigen"},
        {IDD_MAIN, IDC_MAIN_CREATE_TICKET, u"Neues Ticket anlegen"},
        {IDD_MAIN, IDC_MAIN_SOLVE_TICKETS, u"Tickets lösen"},
        {IDD_MAIN, IDC_MAIN_QUESTION_GROUP, u"Nach was suchst du?"},
        {IDD_MAIN, IDC_MAIN_TICKET_COUNT, u"0"},
        {IDD_MAIN, anyControl, u"Nicht gefunden? Software auf dem Bildschirm wählen:"},
        {IDD_MAIN, anyControl, u"Lösung nicht gefunden?"},
        {IDD_MAIN, anyControl, u"Bei welcher Software brauchst du Hilfe?"},
        {IDD_MAIN, anyControl, u"Helfe anderen!"},
        {IDD_MAIN, anyControl, u"Tickets warten auf deine Hilfe!"},
        {IDD_SOLUTION_CAPTURE, caption, u"Lösung aufnehmen"},
        {IDD_SOLUTION_CAPTURE, IDC_CAPTURE_RECORD, u"Aufnahme starten"},
        {IDD_SOLUTION_NAVIGATOR, caption, u"Solution navigator"},
        {IDD_SOLUTION_NAVIGATOR, anyControl,
         u"Bitte führe folgende Aktion im markierten Bereich aus..."},
        {IDD_DEBUG, caption, u"Debug"},
        {IDD_NEW_VERSION, caption, u"Neue Version verfügbar"},
        {IDD_NEW_VERSION, IDC_NEW_VERSION_DOWNLOAD, u"Download"},
        {IDD_CREATE_TICKET, caption, u"Ticket anlegen"},
        {IDD_SOLVE_TICKET, caption, u"Tickets lösen"},
        {IDD_TICKET_OVERVIEW, caption, u"Ticket Übersicht"},
        {IDD_TICKET_OVERVIEW, IDC_OVERVIEW_SOLVE, u"Ticket lösen"},
        {IDD_TICKET_OVERVIEW, anyControl, u"Dein Betriebssystem:"},
        {IDD_SOLUTION_NOTIFICATION, caption, u"Deine Suche wurde gelöst!"},
        {IDD_SOLUTION_NOTIFICATION, IDCLOSE, u"Schließen"},
        {IDD_SOLUTION_NOTIFICATION, IDC_NOTIFICATION_SHOW, u"Lösung zeigen"},
        {IDD_FEEDBACK, caption, u"War die Lösung hilfreich?"},
        {IDD_FEEDBACK, IDC_FEEDBACK_YES, u"Ja"},
        {IDD_FEEDBACK, IDC_FEEDBACK_NO, u"Nein"},
        {IDD_SETTINGS, caption, u"Einstellungen"},
        {IDD_SETTINGS, IDC_SETTINGS_AUTOSTART, u"Automatisch mit Windows starten"},
        {IDD_INFO, caption, u"Info"},
        {IDD_INFO, IDC_INFO_OS_NAME_LABEL, u"Beschreibung:"},
        {IDD_INFO, IDC_INFO_MAKER, u"Nordlicht"},
        {IDD_INFO, anyControl, u"lotse.exe"},
    };
    for (const Text& t : texts) {
        Opened& d = dialog(t.dialog);
        ASSERT_NE(d.window, nullptr) << t.dialog;
        if (t.control == anyControl)
            EXPECT_TRUE(d.hasChildText(t.text))
                << t.dialog << " " << testing::PrintToString(String(t.text));
        else
            EXPECT_EQ(windowText(t.control == caption ? d.window : GetDlgItem(d.window, t.control)),
                      String(t.text))
                << t.dialog << " " << t.control;
    }

    struct Style {
        int dialog, control;
        bool extended;
        LONG_PTR mask, value;
        const char16_t* className; // null: not checked
    } styles[] = {
        {IDD_MAIN, caption, false, WS_VISIBLE | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, nullptr},
        {IDD_MAIN, IDC_MAIN_SOFTWARE, false, 3 | CBS_SORT, CBS_DROPDOWN | CBS_SORT, u"ComboBox"},
        {IDD_MAIN, IDC_MAIN_QUESTION, false, 3 | CBS_SORT, CBS_DROPDOWN | CBS_SORT, u"ComboBox"},
        {IDD_MAIN, IDC_MAIN_LANGUAGE, false, 3 | CBS_SORT, CBS_DROPDOWNLIST | CBS_SORT, nullptr},
        {IDD_MAIN, IDC_MAIN_SHOW_SOLUTION, false, WS_DISABLED, WS_DISABLED, nullptr},
        {IDD_SOLUTION_CAPTURE, caption, true, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
         WS_EX_TOPMOST | WS_EX_TOOLWINDOW, nullptr},
        {IDD_SOLUTION_CAPTURE, IDC_CAPTURE_LIST, false, LBS_NOTIFY | LBS_SORT, LBS_NOTIFY,
         u"ListBox"},
        {IDD_SOLUTION_CAPTURE, IDC_CAPTURE_QUESTION, false, ES_READONLY | ES_MULTILINE,
         ES_READONLY | ES_MULTILINE, nullptr},
        {IDD_SOLUTION_CAPTURE, IDC_CAPTURE_HOVERED, false, ES_READONLY, ES_READONLY, nullptr},
        {IDD_SOLUTION_CAPTURE, IDC_CAPTURE_SAVE, false, WS_DISABLED, WS_DISABLED, nullptr},
        {IDD_SOLUTION_NAVIGATOR, caption, true, WS_EX_TOPMOST, WS_EX_TOPMOST, nullptr},
        {IDD_NEW_VERSION, IDC_NEW_VERSION_RETRY, false, WS_VISIBLE, 0, nullptr},
        {IDD_CREATE_TICKET, IDC_CREATE_SOFTWARE, false, WS_DISABLED, WS_DISABLED, nullptr},
        {IDD_CREATE_TICKET, IDC_CREATE_QUESTION, false, ES_READONLY, ES_READONLY, nullptr},
        {IDD_SOLVE_TICKET, caption, false, WS_THICKFRAME, WS_THICKFRAME, nullptr},
        {IDD_SOLVE_TICKET, IDC_SOLVE_GRID_HOST, false, 0, 0, u"Static"},
        {IDD_FEEDBACK, caption, false, WS_CAPTION | WS_SYSMENU, WS_CAPTION,
         nullptr}, // no close box
        {IDD_SETTINGS, IDC_SETTINGS_AUTOSTART, false, BS_TYPEMASK, BS_AUTOCHECKBOX, nullptr},
        {IDD_SETTINGS, IDOK, false, BS_TYPEMASK, BS_DEFPUSHBUTTON, nullptr},
    };
    for (const Style& s : styles) {
        Opened& d = dialog(s.dialog);
        HWND window = s.control == caption ? d.window : GetDlgItem(d.window, s.control);
        EXPECT_EQ(GetWindowLongPtrW(window, s.extended ? GWL_EXSTYLE : GWL_STYLE) & s.mask, s.value)
            << s.dialog << " " << s.control;
        wchar_t name[64] = {};
        GetClassNameW(window, name, 63);
        if (s.className) {
            EXPECT_EQ(fromWide(name), String(s.className)) << s.dialog << " " << s.control;
        }
    }
}

TEST(Resources, TrayMenuAndIcons) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
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
        EXPECT_EQ(GetMenuItemID(popup, i), items[i].id) << i;
    }
    EXPECT_TRUE(GetMenuState(popup, 3, MF_BYPOSITION) & MF_SEPARATOR);
    DestroyMenu(menu);
    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(IDI_MAIN)), nullptr);
    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(IDI_LOTSE)), nullptr);
}
