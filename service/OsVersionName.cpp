#include "service/OsVersionName.h"

namespace OsVersionName {

namespace {

const char16_t* const unknown = u"unknown Windows version";

const char16_t* windows9x(int minor, unsigned build) {
    if (minor < 10) {
        if (build == 950)
            return u"Windows 95";
        if (build >= 951 && build <= 1080)
            return u"Windows 95 SP1";
        if (build > 1080)
            return u"Windows 95 OSR2";
    } else if (minor == 10) {
        if (build == 1998)
            return u"Windows 98";
        if (build >= 1999 && build <= 2182)
            return u"Windows 98 SP1";
        if (build > 2182)
            return u"Windows 98 SE";
    } else if (minor == 90) {
        return u"Windows ME";
    }
    return unknown;
}

String editionName(OsVersionRecord& record, ProductTypeLookup lookup) {
    if (record.productType == 0) {
        unsigned type = 0;
        if (!lookup || !lookup(record, type))
            return unknown;
        record.productType = type;
    }
    const bool eleven = record.buildNumber >= 22000;
    switch (editionOf(record.productType)) {
    case Edition::Home:
        return eleven ? u"Windows 11 Home" : u"Windows 10 Home";
    case Edition::Education:
        return eleven ? u"Windows 11 Education" : u"Windows 10 Education";
    case Edition::Enterprise:
        return eleven ? u"Windows 11 Enterprise" : u"Windows 10 Enterprise";
    case Edition::Pro:
        return eleven ? u"Windows 11 Pro" : u"Windows 10 Pro";
    case Edition::Unknown:
        break;
    }
    return unknown;
}

} // namespace

Edition editionOf(unsigned productType) {
    switch (productType) {
    case 98:
    case 99:
    case 100:
    case 101:
        return Edition::Home;
    case 121:
    case 122:
        return Edition::Education;
    case 4:
    case 27:
    case 70:
    case 72:
    case 84:
    case 125:
    case 126:
    case 129:
    case 130:
        return Edition::Enterprise;
    case 48:
    case 161:
    case 162:
        return Edition::Pro;
    default:
        return Edition::Unknown;
    }
}

String name(OsVersionRecord& record, ProductTypeLookup lookup) {
    const int platform = record.platformId;
    const int major = record.major;
    const int minor = record.minor;
    const unsigned lowBuild = record.buildNumber & 0xFFFF;
    if (platform == 1 && major == 4)
        return windows9x(minor, lowBuild);
    if (platform == 3)
        return u"Windows CE";
    if (platform == 2) {
        if (major == 3 && minor == 51)
            return u"Windows NT 3.51";
        if (major == 4 && minor == 0)
            return u"Windows NT 4";
        if (major == 5 && minor == 0)
            return u"Windows 2000";
        if (major == 5 && minor == 1)
            return u"Windows XP";
        if (major == 5 && minor == 2)
            return u"Windows Server 2003";
        if (major == 6 && minor == 0)
            return u"Windows Vista";
        if (major == 6 && minor == 1)
            return u"Windows 7";
        if (major == 6 && minor >= 2)
            return editionName(record, lookup);
    }
    return unknown;
}

} // namespace OsVersionName
