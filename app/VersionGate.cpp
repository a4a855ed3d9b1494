#include "app/VersionGate.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"

using namespace Protocol;

String versionText(const String& reply) {
    String text(reply);
    text.replaceAll(u" ", String());
    return text;
}

String VersionGate::fetchVersionText() const {
    return versionText(fetch ? fetch() : String());
}

bool VersionGate::check(const String& ownVersion) const {
    String current;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        current = fetchVersionText();
        if (!current.empty())
            break;
        // Also after the last attempt, before the user is told.
        if (wait)
            wait(retryWaitMs);
    }
    if (current.empty()) {
        // No answer: the user may retry as often as they like; closing the dialog
        // lets the program start without a version check.
        for (;;) {
            if (!showNewVersion || !showNewVersion(ownVersion, String()))
                return true;
            current = fetchVersionText();
            if (!current.empty())
                return current == ownVersion;
        }
    }
    if (current == ownVersion)
        return true;
    if (showNewVersion)
        showNewVersion(ownVersion, current);
    return false;
}

NewVersionTexts NewVersionTexts::make(const String& own, const String& newer) {
    NewVersionTexts texts;
    texts.ownVersion = own;
    texts.newVersion = newer;
    if (newer.empty()) {
        texts.newVersion = u"[Verbindungsfehler]";
        texts.connectionError = true;
    }
    return texts;
}

String NewVersionTexts::versionsText() const {
    return String::format(u"%s\n\n%s", ownVersion, newVersion);
}

String fetchCurrentVersion() {
    const ServiceClient::Reply reply = ServiceClient::request(
        ServiceClient::host(), Endpoint::curversion, String(), String(), u"GET");
    // An error page of a proxy in front of the service (502, 503, 504) names no
    // version: the service was not reached. A 200 reply is the version, whatever
    // it says.
    return reply.status == 200 ? reply.text : String();
}
