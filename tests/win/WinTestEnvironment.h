#pragma once

// What the Wine test runner was told on its command line.
struct WinTestEnvironment {
    // Port of the running test service (0 when none was given).
    static int servicePort();
};
