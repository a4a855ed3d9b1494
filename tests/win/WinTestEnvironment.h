#pragma once

// What the Wine test runner was told on its command line.
struct WinTestEnvironment {
    // Port of the running test service (0 when none was given).
    static inline int servicePort = 0;
    // Port of a second service that names a newer program version (0 when none
    // was given; the tests that need it are skipped then).
    static inline int newerServicePort = 0;
    // Port of a server that answers every request with a proxy's error page
    // (HTTP 502), as while the service behind the proxy is down (0: none).
    static inline int errorPagePort = 0;
    // How long tests leave a dialog open before closing it, so that a script
    // can take a screenshot (0 unless given).
    static inline int holdDialogMs = 0;
};
