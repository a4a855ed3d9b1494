#pragma once

#include "base/String.h"

#include <functional>

// The start-up gate: only the exact version that the service names may run. The
// platform parts come in as callbacks, so the decision can run without a network,
// a clock or a dialog.
struct VersionGate {
    // The raw reply of "curversion.php"; empty when the service did not answer.
    std::function<String()> fetch;
    // Blocks for the given number of milliseconds.
    std::function<void(int milliseconds)> wait;
    // The NewVersion dialog with the own and the new version (empty for a
    // connection error); true when the user chose "Erneut versuchen".
    std::function<bool(const String& own, const String& newVersion)> showNewVersion;

    static constexpr int attempts = 5;
    static constexpr int retryWaitMs = 180000;

    // True when start-up may go on.
    bool check(const String& ownVersion) const;
    // The reply with every space removed; empty means no answer.
    String fetchVersionText() const;
};

// The service's version reply with every space removed (line breaks stay).
String versionText(const String& reply);

// What the NewVersion dialog shows: an empty new version becomes
// "[Verbindungsfehler]" and marks a connection error, which shows the retry button.
struct NewVersionTexts {
    String ownVersion;
    String newVersion;
    bool connectionError = false;

    static NewVersionTexts make(const String& own, const String& newer);
    // The text beside the labels "Ihre Version:" and "Neue Version:".
    String versionsText() const;
};

// The service's answer to "curversion.php" (a GET without a body), unchanged;
// empty unless the reply's HTTP status is 200.
String fetchCurrentVersion();
