#pragma once

// The operating-system version as GetVersionExW reports it, with the build
// number taken from the registry on systems that report 6.2 build 9200 to
// programs without a compatibility manifest.
struct OsVersionRecord {
    int platformId = 0;
    int major = 0;
    int minor = 0;
    unsigned buildNumber = 0;
    int servicePackMajor = 0;
    int servicePackMinor = 0;
    // GetProductInfo's answer, asked for once; 0 until then.
    unsigned productType = 0;
};
