#pragma once

#include "app/MainWindowModel.h"
#include "base/Json.h"
#include "service/TicketCount.h"
#include "tests/support/FakeComboBox.h"

#include <map>
#include <utility>
#include <vector>

// The main window's controls and timers in memory.
struct FakeMainWindow : MainWindowView {
    FakeComboBox software{/* sorted */ true};
    FakeComboBox question{/* sorted */ true};
    FakeComboBox language{/* sorted */ true};
    bool createEnabled = true;
    bool showEnabled = true;
    String cue;
    String ticketCount = u"0";
    String pickButton = u"Software w\u00e4hlen";
    std::map<int, int> timers; // running timers and their periods
    int shown = 0;
    uintptr_t handle = 0;

    // Attaches the model and fills the boxes as the window does when it opens.
    void open(MainWindowModel& model, Desktop* desktop, VersionResource* versions,
              const String& osName) {
        model.attach(this, desktop, versions);
        model.softwareCompleter.attach(&software);
        model.softwareCompleter.fill();
        model.questionCompleter.attach(&question);
        model.initialise(osName);
    }
    // Chooses the item of the software box that reads `text`; false when none does.
    bool chooseSoftware(MainWindowModel& model, const String& text) {
        for (int i = 0; i < static_cast<int>(software.items.size()); ++i) {
            if (software.items[i].first == text) {
                software.selected = i;
                model.selectSoftware(i, model.localeId, true);
                return true;
            }
        }
        return false;
    }
    // The records listed in the question box.
    std::vector<const Ticket*> questions() const {
        std::vector<const Ticket*> out;
        for (const auto& item : question.items)
            out.push_back(static_cast<const Ticket*>(item.second));
        return out;
    }

    const SoftwareEntry* softwareAt(int position) override {
        if (position < 0 || position >= static_cast<int>(software.items.size()))
            return nullptr;
        return static_cast<const SoftwareEntry*>(software.items[position].second);
    }
    String softwareText() override { return software.content.substr(0, 512); }
    void setSoftwareText(const String& text) override { software.content = text; }
    int selectSoftwareStartingWith(const String& text) override {
        return software.selectStartingWith(text);
    }
    void clearLanguages() override { language.resetList(); }
    void addLanguage(const String& description, const LocaleEntry* entry) override {
        language.addItem(description, entry);
    }
    void selectLanguage(const LocaleEntry* entry) override {
        for (int i = 0; i < static_cast<int>(language.items.size()); ++i)
            if (language.items[i].second == entry)
                language.selected = i;
    }
    String questionText() override { return question.content; }
    void enableCreateTicket(bool enable) override { createEnabled = enable; }
    void enableShowSolution(bool enable) override { showEnabled = enable; }
    void setQuestionCue(const String& text) override { cue = text; }
    void setTicketCount(const String& text) override { ticketCount = text; }
    void setPickButtonText(const String& text) override { pickButton = text; }
    void startTimer(int id, int milliseconds) override { timers[id] = milliseconds; }
    void stopTimer(int id) override { timers.erase(id); }
    void show() override { ++shown; }
    uintptr_t windowHandle() override { return handle; }
};

constexpr int german = 1, english = 2, french = 3;
constexpr int wildcard = 1, windows10 = 2, firefox = 5, vlc = 6, notepad = 7;

// The lists the main window works on. Software 1 stands for any software.
// Firefox has questions in German and French (and an open one in German, which
// is never offered), VLC in English only.
struct DemoLists {
    SoftwareCatalogue catalogue;
    TicketList tickets{catalogue};
    LocaleCatalogue locales;

    DemoLists() {
        catalogue.loadFromReply(u"{\"1\":{},\"2\":{\"file_desc\":\"Windows 10\"},"
                                u"\"5\":{\"file_desc\":\"Firefox\",\"file_version\":\"121.0\"},"
                                u"\"6\":{\"file_desc\":\"VLC media player\",\"file_version\":"
                                u"\"3.0\"},\"7\":{\"file_desc\":\"Notepad\"}}");
        tickets.loadFromReply(
            u"{\"1\":{\"question\":\"Wie l\u00f6sche ich den Verlauf?\",\"id_state\":\"2\","
            u"\"id_locale\":\"1\",\"software_list\":\"5\"},"
            u"\"2\":{\"question\":\"Comment effacer l'historique?\",\"id_state\":\"2\","
            u"\"id_locale\":\"3\",\"software_list\":\"5\"},"
            u"\"3\":{\"question\":\"How do I rotate a video?\",\"id_state\":\"2\","
            u"\"id_locale\":\"2\",\"software_list\":\"6\"},"
            u"\"4\":{\"question\":\"How do I cut a video?\",\"id_state\":\"3\","
            u"\"id_locale\":\"2\",\"software_list\":\"6\"},"
            u"\"5\":{\"question\":\"Wie \u00e4ndere ich das Hintergrundbild?\",\"id_state\":"
            u"\"2\",\"id_locale\":\"1\",\"software_list\":\"2\"},"
            u"\"6\":{\"question\":\"Wie drucke ich?\",\"id_state\":\"1\",\"id_locale\":\"1\","
            u"\"software_list\":\"5\"}}");
        locales.load(Json::parseText(u"{\"1\":{\"description\":\"Deutsch\",\"microsoft_lcid\":"
                                     u"\"1031\"},\"2\":{\"description\":\"English\","
                                     u"\"microsoft_lcid\":\"1033\"},\"3\":{\"description\":"
                                     u"\"Fran\u00e7ais\",\"microsoft_lcid\":\"1036\"}}"),
                     1031);
    }
};

// The main window's model over the demo lists and the window in memory; the
// ticket count answers `count` and reloads are counted.
struct MainWindowDesk : DemoLists {
    ClickMonitor clicks;
    MainWindowModel model{catalogue, tickets, locales, clicks};
    FakeMainWindow window;
    TicketCountUpdate count = decideTicketCount(u"{\"unsolved\":\"4\",\"total\":\"6\"}", 6);
    int reloads = 0;

    MainWindowDesk() {
        model.localeId = locales.defaultLocaleId();
        model.fetchCount = [this] { return count; };
        model.reload = [this] { ++reloads; };
    }
};
