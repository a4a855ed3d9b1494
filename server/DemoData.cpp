#include "server/DemoData.h"

#include "server/Database.h"
#include "server/Store.h"

#include <cstdint>
#include <vector>

namespace {

struct Element {
    const char* name;
    const char* className;
    const char* automationId;
};

// The main window of a program as the recording saw it; the trace of an action
// runs from the element through this window to the desktop root.
struct ProgramWindow {
    const char* name;
    const char* className;
    const char* module;
};

// A level of a trace exactly as the window-tree client describes it under Wine.
struct Level {
    const char* name;
    const char* className;
    const char* automationId;
    const char* module;
};

struct Step {
    int action;       // 2..7
    Element element;  // for mouse actions
    const char* text; // for a text input (7); empty for a Return (6)
    // The whole trace of a mouse action recorded on a program Wine ships; when
    // empty, the trace is the element, the ticket's window and the desktop root.
    std::vector<Level> trace = {};
};

struct DemoTicket {
    int64_t id;
    int64_t locale;
    std::vector<int64_t> software;
    int64_t os;
    int64_t state;
    const char* created;
    const char* question;
    int asker; // index into askers
    const ProgramWindow* window;
    std::vector<Step> steps; // a recorded solution for states 2 and 3
};

Step click(const char* name, const char* className, const char* automationId = "") {
    return Step{2, Element{name, className, automationId}, ""};
}
Step rightClick(const char* name, const char* className, const char* automationId = "") {
    return Step{5, Element{name, className, automationId}, ""};
}
Step type(const char* text) {
    return Step{7, Element{"", "", ""}, text};
}
Step enter() {
    return Step{6, Element{"", "", ""}, ""};
}

// The desktop root under Wine: its window belongs to explorer.exe.
const Level wineDesktop{"Desktop 1", "#32769", "", "explorer.exe"};

// Mouse actions on Wine's Notepad and Task Manager, traced from the element up.
Step wineClick(std::vector<Level> trace) {
    trace.push_back(wineDesktop);
    const Level& target = trace.front();
    return Step{2, Element{target.name, target.className, target.automationId}, "",
                std::move(trace)};
}
Step notepadEditClick() {
    return wineClick(
        {{"", "Edit", "0", "notepad.exe"}, {"Untitled - Notepad", "Notepad", "", "notepad.exe"}});
}
Step newTaskClick() {
    return wineClick({{"New Task...", "Button", "1014", "taskmgr.exe"},
                      {"", "#32770", "0", "taskmgr.exe"},
                      {"Task Manager", "#32770", "", "taskmgr.exe"}});
}
Step openFieldClick() {
    return wineClick({{"", "Edit", "1001", "taskmgr.exe"},
                      {"Open:", "ComboBox", "12298", "taskmgr.exe"},
                      {"Create New Task", "#32770", "", "taskmgr.exe"}});
}
Step createTaskOkClick() {
    return wineClick(
        {{"OK", "Button", "1", "taskmgr.exe"}, {"Create New Task", "#32770", "", "taskmgr.exe"}});
}

struct Asker {
    const char* hwGuid;
    const char* username;
};

const Asker askers[] = {
    {"{3f2504e0-4f89-11d3-9a0c-0305e82c3301}", "anna"},
    {"{9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d}", "ben"},
    {"{1b4e28ba-2fa1-11d2-883f-0016d3cca427}", "claudia"},
    {"{6fa459ea-ee8a-3ca4-894e-db77e160355e}", "david"},
    {"{886313e1-3b8a-5372-9b90-0c9aee199e5d}", "emma"},
};

// Wine's Notepad as Wine 8 shows it: the main window (class "Notepad") holds one
// edit control; the window tree ends at the desktop window (class "#32769").
const ProgramWindow wineNotepad{"Untitled - Notepad", "Notepad", "notepad.exe"};
const ProgramWindow wineTaskManager{"Task Manager", "#32770", "taskmgr.exe"};
const ProgramWindow windowsNotepad{"Unbenannt - Editor", "Notepad", "notepad.exe"};
const ProgramWindow settings{"Einstellungen", "ApplicationFrameWindow", "applicationframehost.exe"};
const ProgramWindow settingsEn{"Settings", "ApplicationFrameWindow", "applicationframehost.exe"};
const ProgramWindow taskbar{"", "Shell_TrayWnd", "explorer.exe"};
const ProgramWindow desktop{"Program Manager", "Progman", "explorer.exe"};
const ProgramWindow excel{"Mappe1 - Excel", "XLMAIN", "excel.exe"};
const ProgramWindow excelEn{"Book1 - Excel", "XLMAIN", "excel.exe"};
const ProgramWindow word{"Dokument1 - Word", "OpusApp", "winword.exe"};
const ProgramWindow wordEn{"Document1 - Word", "OpusApp", "winword.exe"};
const ProgramWindow firefox{"Mozilla Firefox", "MozillaWindowClass", "firefox.exe"};
const ProgramWindow gimp{"GNU Image Manipulation Program", "gdkWindowToplevel", "gimp-2.10.exe"};
const ProgramWindow vlc{"VLC media player", "Qt5QWindowIcon", "vlc.exe"};
const ProgramWindow sevenZip{"7-Zip", "FM", "7zfm.exe"};
const ProgramWindow thunderbird{"Mozilla Thunderbird", "MozillaWindowClass", "thunderbird.exe"};

// Ids of the catalogue rows below.
enum : int64_t {
    German = 1,
    English = 2,
    French = 3,
};
enum : int64_t {
    AnySoftware = 1,
    Windows10 = 2,
    Windows11 = 3,
    WineNotepad = 4,
    WindowsNotepad = 5,
    Excel = 6,
    Word = 7,
    Firefox = 8,
    Gimp = 9,
    Vlc = 10,
    SevenZip = 11,
    Thunderbird = 12,
    Windows7 = 13,
    WineTaskManager = 14,
};
enum : int64_t {
    Win10Pro = 1,
    Win10Home = 2,
    Win11Pro = 3,
    Win7 = 4,
    Win10Enterprise = 5,
};

std::vector<DemoTicket> demoTickets() {
    return {
        {1,
         German,
         {WineNotepad},
         Win7,
         TicketSolved,
         "2025-11-03 09:14:00",
         "Wie schreibe ich einen Text in den Editor?",
         0,
         &wineNotepad,
         {notepadEditClick(), type("HALLO"), enter()}},
        {2,
         English,
         {WineNotepad},
         Win7,
         TicketConfirmed,
         "2025-11-04 16:40:12",
         "How do I type a line of text into Notepad?",
         1,
         &wineNotepad,
         {notepadEditClick(), type("HALLO"), enter()}},
        {3,
         German,
         {WineNotepad},
         Win7,
         TicketOpen,
         "2025-12-01 11:02:45",
         "Wie ändere ich die Schriftart im Editor?",
         2,
         nullptr,
         {}},
        {4,
         German,
         {WindowsNotepad},
         Win10Pro,
         TicketConfirmed,
         "2025-09-12 08:30:00",
         "Wie aktiviere ich den Zeilenumbruch im Editor?",
         3,
         &windowsNotepad,
         {click("Format", "", "Item 2"), click("Zeilenumbruch", "", "Item 32")}},
        {5,
         German,
         {WindowsNotepad},
         Win10Home,
         TicketSolved,
         "2025-10-02 14:11:09",
         "Wie suche und ersetze ich Text im Editor?",
         4,
         &windowsNotepad,
         {click("Bearbeiten", "", "Item 1"), click("Ersetzen...", "", "Item 23")}},
        {6,
         German,
         {Windows10, Windows7},
         Win10Pro,
         TicketConfirmed,
         "2025-08-19 19:22:31",
         "Wie ändere ich das Hintergrundbild?",
         0,
         &desktop,
         {rightClick("FolderView", "SysListView32", "1"), click("Anpassen", "", "")}},
        {7,
         German,
         {Windows10},
         Win10Home,
         TicketSolved,
         "2025-10-21 07:45:00",
         "Wie schalte ich den Nachtmodus ein?",
         1,
         &settings,
         {click("System", "ListViewItem", "SettingsPageGroupSystem"),
          click("Nachtmodus", "ToggleSwitch", "SystemSettings_Display_BlueLight_ManualToggleOn")}},
        {8,
         German,
         {Windows10, Windows11, Windows7},
         Win10Pro,
         TicketConfirmed,
         "2025-07-30 12:00:00",
         "Wie verbinde ich mich mit einem WLAN?",
         2,
         &taskbar,
         {click("Netzwerk", "", "{7820AE74-23E3-4229-82C1-E41CB67D5B9C}"),
          click("Verbinden", "Button", "ConnectButton")}},
        {9,
         English,
         {Windows10},
         Win10Pro,
         TicketConfirmed,
         "2025-08-20 10:05:44",
         "How do I change the desktop background?",
         3,
         &desktop,
         {rightClick("FolderView", "SysListView32", "1"), click("Personalize", "", "")}},
        {10,
         English,
         {Windows10},
         Win10Enterprise,
         TicketSolved,
         "2025-10-22 18:19:20",
         "How do I turn on night light?",
         4,
         &settingsEn,
         {click("System", "ListViewItem", "SettingsPageGroupSystem"),
          click("Night light", "ToggleSwitch", "SystemSettings_Display_BlueLight_ManualToggleOn")}},
        {11,
         German,
         {Windows10},
         Win10Home,
         TicketOpen,
         "2025-12-02 09:00:00",
         "Wie deinstalliere ich ein Programm?",
         0,
         nullptr,
         {}},
        {12,
         German,
         {Windows11},
         Win11Pro,
         TicketConfirmed,
         "2025-06-14 15:30:00",
         "Wie verschiebe ich die Taskleiste nach links?",
         1,
         &settings,
         {click("Personalisierung", "ListViewItem", "SettingsPageGroupPersonalization"),
          click("Taskleiste", "", "SettingsPageTaskbar"),
          click("Taskleistenausrichtung", "ComboBox",
                "SystemSettings_Taskbar_Alignment_ComboBox")}},
        {13,
         German,
         {Windows11},
         Win11Pro,
         TicketSolved,
         "2025-09-05 20:47:13",
         "Wie aktiviere ich den Dunkelmodus?",
         2,
         &settings,
         {click("Personalisierung", "ListViewItem", "SettingsPageGroupPersonalization"),
          click("Farben", "", "SettingsPageColors")}},
        {14,
         English,
         {Windows11},
         Win11Pro,
         TicketConfirmed,
         "2025-06-15 08:12:00",
         "How do I align the taskbar to the left?",
         3,
         &settingsEn,
         {click("Personalization", "ListViewItem", "SettingsPageGroupPersonalization"),
          click("Taskbar", "", "SettingsPageTaskbar")}},
        {15,
         English,
         {Windows11},
         Win11Pro,
         TicketOpen,
         "2025-12-03 13:37:00",
         "How do I take a screenshot with the Snipping Tool?",
         4,
         nullptr,
         {}},
        {16,
         German,
         {AnySoftware},
         Win10Pro,
         TicketConfirmed,
         "2025-05-02 10:00:00",
         "Wie öffne ich den Task-Manager?",
         0,
         &taskbar,
         {rightClick("", "MSTaskListWClass", ""), click("Task-Manager", "", "")}},
        {17,
         German,
         {AnySoftware},
         Win10Home,
         TicketSolved,
         "2025-09-28 17:03:55",
         "Wie mache ich einen Screenshot vom ganzen Bildschirm?",
         1,
         &taskbar,
         {click("Start", "Start", ""), type("SNIPPING TOOL"), enter()}},
        {18,
         German,
         {AnySoftware},
         Win11Pro,
         TicketConfirmed,
         "2025-04-11 09:45:10",
         "Wie kopiere ich Text in die Zwischenablage?",
         2,
         &wineNotepad,
         {notepadEditClick(), rightClick("", "Edit", "0"), click("Kopieren", "", "")}},
        {19,
         English,
         {AnySoftware},
         Win10Pro,
         TicketConfirmed,
         "2025-05-03 11:20:00",
         "How do I open the Task Manager?",
         3,
         &taskbar,
         {rightClick("", "MSTaskListWClass", ""), click("Task Manager", "", "")}},
        {20,
         English,
         {AnySoftware},
         Win10Enterprise,
         TicketSolved,
         "2025-10-09 08:08:08",
         "How do I copy text to the clipboard?",
         4,
         &wineNotepad,
         {notepadEditClick(), rightClick("", "Edit", "0"), click("Copy", "", "")}},
        {21,
         German,
         {AnySoftware},
         Win7,
         TicketClosed,
         "2024-12-24 18:00:00",
         "Wie installiere ich Windows neu?",
         0,
         nullptr,
         {}},
        {22,
         German,
         {AnySoftware},
         Win10Pro,
         TicketOpen,
         "2025-12-04 08:15:00",
         "Wie ändere ich die Bildschirmauflösung?",
         1,
         nullptr,
         {}},
        {23,
         German,
         {Excel},
         Win10Pro,
         TicketConfirmed,
         "2025-03-18 14:00:00",
         "Wie friere ich die erste Zeile ein?",
         2,
         &excel,
         {click("Ansicht", "NetUIRibbonTab", ""), click("Fenster fixieren", "NetUIAnchor", ""),
          click("Oberste Zeile fixieren", "NetUIButton", "")}},
        {24,
         German,
         {Excel},
         Win10Pro,
         TicketSolved,
         "2025-10-14 10:30:00",
         "Wie füge ich eine Dropdown-Liste in eine Zelle ein?",
         3,
         &excel,
         {click("Daten", "NetUIRibbonTab", ""), click("Datenüberprüfung", "NetUIAnchor", ""),
          click("Zulassen", "ComboBox", "1001"), type("LISTE"), enter()}},
        {25,
         German,
         {Excel},
         Win11Pro,
         TicketConfirmed,
         "2025-02-07 16:45:00",
         "Wie erstelle ich ein Diagramm aus einer Tabelle?",
         4,
         &excel,
         {click("Einfügen", "NetUIRibbonTab", ""),
          click("Empfohlene Diagramme", "NetUIButton", "")}},
        {26,
         English,
         {Excel},
         Win10Pro,
         TicketConfirmed,
         "2025-03-19 09:10:00",
         "How do I freeze the top row?",
         0,
         &excelEn,
         {click("View", "NetUIRibbonTab", ""), click("Freeze Panes", "NetUIAnchor", ""),
          click("Freeze Top Row", "NetUIButton", "")}},
        {27,
         English,
         {Excel},
         Win10Enterprise,
         TicketSolved,
         "2025-11-11 11:11:11",
         "How do I remove duplicate rows?",
         1,
         &excelEn,
         {click("Data", "NetUIRibbonTab", ""), click("Remove Duplicates", "NetUIButton", ""),
          click("OK", "Button", "1")}},
        {28,
         German,
         {Excel},
         Win10Home,
         TicketOpen,
         "2025-12-05 12:00:00",
         "Wie sortiere ich eine Spalte nach Datum?",
         2,
         nullptr,
         {}},
        {29,
         German,
         {Word},
         Win10Pro,
         TicketConfirmed,
         "2025-01-20 08:00:00",
         "Wie füge ich ein Inhaltsverzeichnis ein?",
         3,
         &word,
         {click("Referenzen", "NetUIRibbonTab", ""), click("Inhaltsverzeichnis", "NetUIAnchor", ""),
          click("Automatische Tabelle 1", "NetUIGalleryButton", "")}},
        {30,
         German,
         {Word},
         Win10Home,
         TicketSolved,
         "2025-08-08 13:13:13",
         "Wie ändere ich die Seitenränder?",
         4,
         &word,
         {click("Layout", "NetUIRibbonTab", ""), click("Seitenränder", "NetUIAnchor", ""),
          click("Schmal", "NetUIGalleryButton", "")}},
        {31,
         German,
         {Word},
         Win11Pro,
         TicketConfirmed,
         "2025-04-01 10:01:00",
         "Wie füge ich Seitenzahlen ein?",
         0,
         &word,
         {click("Einfügen", "NetUIRibbonTab", ""), click("Seitenzahl", "NetUIAnchor", ""),
          click("Seitenende", "NetUIAnchor", "")}},
        {32,
         English,
         {Word},
         Win10Pro,
         TicketSolved,
         "2025-04-02 15:00:00",
         "How do I insert page numbers?",
         1,
         &wordEn,
         {click("Insert", "NetUIRibbonTab", ""), click("Page Number", "NetUIAnchor", ""),
          click("Bottom of Page", "NetUIAnchor", "")}},
        {33,
         German,
         {Word, Excel},
         Win10Pro,
         TicketOpen,
         "2025-12-06 07:30:00",
         "Wie füge ich eine Excel-Tabelle in Word ein?",
         2,
         nullptr,
         {}},
        {34,
         German,
         {Firefox},
         Win10Pro,
         TicketConfirmed,
         "2025-02-14 20:20:20",
         "Wie lösche ich den Verlauf?",
         3,
         &firefox,
         {click("Anwendungsmenü öffnen", "", "PanelUI-menu-button"),
          click("Chronik", "", "appMenu-history-button"),
          click("Neueste Chronik löschen…", "", "appMenuClearRecentHistory")}},
        {35,
         German,
         {Firefox},
         Win11Pro,
         TicketSolved,
         "2025-09-09 09:09:09",
         "Wie setze ich ein Lesezeichen?",
         4,
         &firefox,
         {click("Lesezeichen für diese Seite hinzufügen", "", "star-button"),
          click("Speichern", "", "editBookmarkPanelDoneButton")}},
        {36,
         English,
         {Firefox},
         Win10Pro,
         TicketConfirmed,
         "2025-02-15 21:00:00",
         "How do I clear the browsing history?",
         0,
         &firefox,
         {click("Open application menu", "", "PanelUI-menu-button"),
          click("History", "", "appMenu-history-button"),
          click("Clear recent history…", "", "appMenuClearRecentHistory")}},
        {37,
         German,
         {Firefox},
         Win10Home,
         TicketOpen,
         "2025-12-06 10:45:00",
         "Wie ändere ich die Startseite?",
         1,
         nullptr,
         {}},
        {38,
         German,
         {Gimp},
         Win10Pro,
         TicketSolved,
         "2025-07-07 07:07:07",
         "Wie ändere ich die Bildgröße?",
         2,
         &gimp,
         {click("Bild", "", ""), click("Bild skalieren ...", "", ""), type("800"), enter()}},
        {39,
         English,
         {Gimp},
         Win10Pro,
         TicketConfirmed,
         "2025-07-08 08:08:08",
         "How do I scale an image?",
         3,
         &gimp,
         {click("Image", "", ""), click("Scale Image...", "", ""), type("800"), enter()}},
        {40,
         English,
         {Vlc},
         Win10Pro,
         TicketConfirmed,
         "2025-05-20 19:30:00",
         "How do I add subtitles to a video?",
         4,
         &vlc,
         {click("Subtitle", "", ""), click("Add Subtitle File...", "", "")}},
        {41,
         English,
         {Vlc},
         Win11Pro,
         TicketSolved,
         "2025-06-01 12:34:56",
         "How do I convert a video to MP3?",
         0,
         &vlc,
         {click("Media", "", ""), click("Convert / Save...", "", ""),
          click("Convert / Save", "", "")}},
        {42,
         English,
         {Vlc},
         Win10Pro,
         TicketOpen,
         "2025-12-01 22:00:00",
         "How do I loop a playlist?",
         1,
         nullptr,
         {}},
        {43,
         German,
         {SevenZip},
         Win10Pro,
         TicketConfirmed,
         "2025-03-03 03:03:03",
         "Wie packe ich einen Ordner als ZIP-Datei?",
         2,
         &sevenZip,
         {click("Hinzufügen", "Button", "1070"), click("Archivformat", "ComboBox", "1009"),
          click("OK", "Button", "1")}},
        {44,
         German,
         {SevenZip},
         Win10Home,
         TicketSolved,
         "2025-11-20 16:16:16",
         "Wie entpacke ich ein Archiv mit Passwort?",
         3,
         &sevenZip,
         {click("Entpacken", "Button", "1071"), click("Passwort", "Edit", "1002"), type("GEHEIM"),
          enter()}},
        {45,
         German,
         {Thunderbird},
         Win10Pro,
         TicketConfirmed,
         "2025-06-30 17:00:00",
         "Wie richte ich eine Abwesenheitsnotiz ein?",
         4,
         &thunderbird,
         {click("Extras", "", "tasksMenu"), click("Filter", "", "filtersCmd")}},
        {46,
         English,
         {Thunderbird},
         Win10Enterprise,
         TicketOpen,
         "2025-12-02 14:00:00",
         "How do I set up an email signature?",
         0,
         nullptr,
         {}},
        {47,
         German,
         {Thunderbird},
         Win10Pro,
         TicketSolved,
         "2025-10-30 10:10:10",
         "Wie exportiere ich meine Kontakte?",
         1,
         &thunderbird,
         {click("Adressbuch", "", "addressBookButton"), click("Exportieren", "", "")}},
        {48,
         French,
         {Firefox},
         Win10Pro,
         TicketConfirmed,
         "2025-08-01 09:00:00",
         "Comment effacer l'historique de navigation ?",
         2,
         &firefox,
         {click("Ouvrir le menu de l’application", "", "PanelUI-menu-button"),
          click("Historique", "", "appMenu-history-button")}},
        {49,
         German,
         {WineTaskManager},
         Win7,
         TicketSolved,
         "2025-11-20 10:00:00",
         "Wie starte ich ein Programm mit dem Task-Manager?",
         3,
         &wineTaskManager,
         {newTaskClick(), openFieldClick(), type("NOTEPAD"), createTaskOkClick()}},
        {50,
         English,
         {WineTaskManager},
         Win7,
         TicketConfirmed,
         "2025-11-21 15:30:00",
         "How do I start a program from the Task Manager?",
         4,
         &wineTaskManager,
         {newTaskClick(), openFieldClick(), type("NOTEPAD"), createTaskOkClick()}},
        {51,
         German,
         {WineTaskManager},
         Win7,
         TicketOpen,
         "2025-12-04 17:45:00",
         "Wie öffne ich den Editor über den Task-Manager?",
         1,
         nullptr,
         {}},
        // More questions waiting for help than the solve-ticket list shows at
        // once, with numbers, a small first letter and several programs.
        {52,
         German,
         {Excel},
         Win10Pro,
         TicketOpen,
         "2025-12-07 08:00:00",
         "Wie drucke ich nur Seite 2 einer Tabelle?",
         2,
         nullptr,
         {}},
        {53,
         German,
         {Excel},
         Win11Pro,
         TicketOpen,
         "2025-12-07 08:05:00",
         "Wie drucke ich nur Seite 10 einer Tabelle?",
         3,
         nullptr,
         {}},
        {54,
         German,
         {SevenZip},
         Win10Home,
         TicketOpen,
         "2025-12-07 09:12:00",
         "7-Zip meldet beim Entpacken einen CRC-Fehler, was tun?",
         4,
         nullptr,
         {}},
        {55,
         German,
         {Firefox},
         Win10Pro,
         TicketOpen,
         "2025-12-07 10:30:00",
         "Zoom in Firefox zurücksetzen, wie geht das?",
         0,
         nullptr,
         {}},
        {56,
         German,
         {Word},
         Win10Home,
         TicketOpen,
         "2025-12-07 11:45:00",
         "aktualisiert Word das Inhaltsverzeichnis von selbst?",
         1,
         nullptr,
         {}},
        {57,
         English,
         {Excel, Word},
         Win10Enterprise,
         TicketOpen,
         "2025-12-07 13:00:00",
         "How do I paste a chart from Excel into Word as a picture?",
         2,
         nullptr,
         {}},
        {58,
         English,
         {Vlc},
         Win10Pro,
         TicketOpen,
         "2025-12-07 14:20:00",
         "How do I rotate a video by 90 degrees?",
         3,
         nullptr,
         {}},
        {59,
         German,
         {Gimp},
         Win11Pro,
         TicketOpen,
         "2025-12-07 15:05:00",
         "Wie mache ich den Hintergrund eines Bildes transparent?",
         4,
         nullptr,
         {}},
        {60,
         German,
         {Thunderbird},
         Win10Home,
         TicketOpen,
         "2025-12-07 16:40:00",
         "Wie lege ich einen Ordner für Rechnungen an?",
         0,
         nullptr,
         {}},
        {61,
         English,
         {Windows10},
         Win10Pro,
         TicketOpen,
         "2025-12-07 17:15:00",
         "How do I change the default browser?",
         1,
         nullptr,
         {}},
        {62,
         German,
         {Windows11},
         Win11Pro,
         TicketOpen,
         "2025-12-07 18:00:00",
         "Wie richte ich einen zweiten Bildschirm ein?",
         2,
         nullptr,
         {}},
        {63,
         German,
         {AnySoftware},
         Win10Pro,
         TicketOpen,
         "2025-12-07 19:30:00",
         "Wie finde ich heraus, welche Windows-Version ich habe?",
         3,
         nullptr,
         {}},
        {64,
         German,
         {WindowsNotepad},
         Win10Home,
         TicketOpen,
         "2025-12-08 08:10:00",
         "Wie speichere ich eine Datei als UTF-8?",
         4,
         nullptr,
         {}},
        {65,
         French,
         {Firefox},
         Win10Pro,
         TicketOpen,
         "2025-12-08 09:00:00",
         "Comment bloquer les fenêtres pop-up ?",
         0,
         nullptr,
         {}},
        {66,
         German,
         {WineNotepad},
         Win7,
         TicketOpen,
         "2025-12-08 10:20:00",
         "Wie ändere ich die Schriftgröße im Editor?",
         1,
         nullptr,
         {}},
        {67,
         German,
         {Excel, Word, Windows10},
         Win10Pro,
         TicketOpen,
         "2025-12-08 11:00:00",
         "Warum öffnen sich Office-Dateien nicht mehr per Doppelklick?",
         2,
         nullptr,
         {}},
    };
}

void insertCapture(Database& database, const DemoTicket& ticket) {
    Statement capture(database,
                      "INSERT INTO capture (id_ticket, created) VALUES (?, ?) RETURNING id");
    capture.bind(1, ticket.id).bind(2, ticket.created);
    const int64_t captureId = capture.step() ? capture.integer(0) : 0;
    Statement action(database, "INSERT INTO capture_action (id_capture, position, id_action, "
                               "entered_text) VALUES (?, ?, ?, ?)");
    Statement element(database, "INSERT INTO capture_element (id_capture, action_position, "
                                "position, name, class_name, automation_id, module_name) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)");
    const ProgramWindow& window = *ticket.window;
    for (size_t i = 0; i < ticket.steps.size(); ++i) {
        const Step& step = ticket.steps[i];
        const bool mouse = step.action >= 2 && step.action <= 5;
        action.reset();
        action.bind(1, captureId).bind(2, static_cast<int64_t>(i)).bind(3, step.action);
        action.bind(4, mouse ? "" : step.text).run();
        if (!mouse)
            continue;
        // Without a recorded trace: the element, the program's window, the
        // desktop root. The root's own process cannot be read there, so a
        // recording repeats the module of the level below it.
        std::vector<Level> levels = step.trace;
        if (levels.empty()) {
            levels = {{step.element.name, step.element.className, step.element.automationId,
                       window.module},
                      {window.name, window.className, "", window.module},
                      {"Desktop", "#32769", "", window.module}};
        }
        for (size_t j = 0; j < levels.size(); ++j) {
            element.reset();
            element.bind(1, captureId).bind(2, static_cast<int64_t>(i));
            element.bind(3, static_cast<int64_t>(j)).bind(4, levels[j].name);
            element.bind(5, levels[j].className).bind(6, levels[j].automationId);
            element.bind(7, levels[j].module).run();
        }
    }
    Statement link(database, "UPDATE ticket SET id_capture = ? WHERE id = ?");
    link.bind(1, captureId).bind(2, ticket.id).run();
}

} // namespace

bool seedDemoData(Database& database, std::string& error) {
    Transaction write(database);

    Statement locale(database,
                     "INSERT INTO locale (id, microsoft_lcid, description) VALUES (?, ?, ?)");
    struct {
        int64_t id, lcid;
        const char* description;
    } const locales[] = {
        {German, 1031, "Deutsch"}, {English, 1033, "English"}, {French, 1036, "Français"}};
    for (const auto& row : locales) {
        locale.reset();
        locale.bind(1, row.id).bind(2, row.lcid).bind(3, row.description).run();
    }

    // What the program reports: without a compatibility list in its manifest,
    // Windows 10 and 11 answer version 6.2 and the build comes from the
    // registry; Wine 8 in its default configuration answers Windows 7 SP1.
    Statement os(database, "INSERT INTO operating_system (id, id_platform, major, minor, "
                           "build_no, description) VALUES (?, 2, ?, ?, ?, ?)");
    struct {
        int64_t id, major, minor, build;
        const char* description;
    } const systems[] = {{Win10Pro, 6, 2, 19045, "Windows 10 Pro"},
                         {Win10Home, 6, 2, 19045, "Windows 10 Home"},
                         {Win11Pro, 6, 2, 22631, "Windows 11 Pro"},
                         {Win7, 6, 1, 7601, "Windows 7"},
                         {Win10Enterprise, 6, 2, 19044, "Windows 10 Enterprise"}};
    for (const auto& row : systems) {
        os.reset();
        os.bind(1, row.id).bind(2, row.major).bind(3, row.minor).bind(4, row.build);
        os.bind(5, row.description).run();
    }

    // Entry 1, with no description, product or version, stands for any software.
    // Wine's notepad.exe carries no version resource, so picking it reads no
    // texts; its entry is named here.
    Statement software(database, "INSERT INTO software (id, id_locale, file_desc, product_name, "
                                 "file_version, file_version_full, module_name, supported) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, 1)");
    struct {
        int64_t id, locale;
        const char *desc, *product, *version, *versionFull, *module;
    } const catalogue[] = {
        {AnySoftware, German, "", "", "", "", ""},
        {Windows10, German, "Windows 10", "Microsoft Windows", "", "", "explorer.exe"},
        {Windows11, German, "Windows 11", "Microsoft Windows", "", "", "explorer.exe"},
        {WineNotepad, German, "Notepad", "Wine", "8.0", "8.0", "notepad.exe"},
        {WindowsNotepad, German, "Editor", "Betriebssystem Microsoft® Windows®", "10.0",
         "10.0.19041.1 (WinBuild.160101.0800)", "notepad.exe"},
        {Excel, German, "Microsoft Excel", "Microsoft Office", "16.0", "16.0.17328.20162",
         "excel.exe"},
        {Word, German, "Microsoft Word", "Microsoft Office", "16.0", "16.0.17328.20162",
         "winword.exe"},
        {Firefox, German, "Firefox", "Firefox", "121.0", "121.0.1", "firefox.exe"},
        {Gimp, German, "GNU Image Manipulation Program", "GNU Image Manipulation Program", "2.10",
         "2.10.36", "gimp-2.10.exe"},
        {Vlc, English, "VLC media player", "VLC media player", "3.0", "3.0.20", "vlc.exe"},
        {SevenZip, German, "7-Zip File Manager", "7-Zip", "23.1", "23.01", "7zfm.exe"},
        {Thunderbird, German, "Thunderbird", "Thunderbird", "115.6", "115.6.1", "thunderbird.exe"},
        // What Wine 8 reports by default, so the demo preselects its system.
        {Windows7, German, "Windows 7", "Microsoft Windows", "", "", "explorer.exe"},
        // Wine's taskmgr.exe as its version resource names it.
        {WineTaskManager, German, "Wine Task Manager", "Task Manager by Brian Palmer", "1.0",
         "1.0.0.1", "taskmgr.exe"},
    };
    for (const auto& row : catalogue) {
        software.reset();
        software.bind(1, row.id).bind(2, row.locale).bind(3, row.desc).bind(4, row.product);
        software.bind(5, row.version).bind(6, row.versionFull).bind(7, row.module).run();
    }

    Statement ticket(database, "INSERT INTO ticket (id, question, id_locale, id_operating_system, "
                               "id_state, hw_guid, username, created) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    Statement link(database, "INSERT INTO ticket_software (id_ticket, id_software) VALUES (?, ?)");
    Statement confirmed(database, "INSERT INTO feedback (id_ticket, answer, sw_id, sw_file_desc, "
                                  "sw_product_name, sw_file_version, sw_file_version_full, "
                                  "sw_module_name, created) VALUES (?, 'YES', ?, '', '', '', "
                                  "'', '', ?)");
    for (const DemoTicket& row : demoTickets()) {
        const Asker& asker = askers[row.asker];
        ticket.reset();
        ticket.bind(1, row.id).bind(2, row.question).bind(3, row.locale).bind(4, row.os);
        ticket.bind(5, row.state).bind(6, asker.hwGuid).bind(7, asker.username);
        ticket.bind(8, row.created).run();
        for (int64_t id : row.software) {
            link.reset();
            link.bind(1, row.id).bind(2, id).run();
        }
        if (row.window && !row.steps.empty())
            insertCapture(database, row);
        if (row.state == TicketConfirmed) {
            confirmed.reset();
            confirmed.bind(1, row.id).bind(2, row.software.front()).bind(3, row.created).run();
        }
    }
    // The rows above brought their own ids; new ones continue after them.
    for (const char* table : {"locale", "operating_system", "software", "ticket"})
        database.continueIdsAfterHighest(table);
    if (!write.commit()) {
        error = database.error();
        return false;
    }
    return true;
}
