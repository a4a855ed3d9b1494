#include "service/SystemInfo.h"

#include "service/OsVersionName.h"
#include "service/SystemPlatform.h"

namespace SystemInfo {

String hwGuid() {
    return SystemPlatform::hardwareProfileGuid();
}

String username() {
    return SystemPlatform::environmentUsername();
}

OsVersionRecord& osVersion() {
    static OsVersionRecord record = [] {
        OsVersionRecord r;
        SystemPlatform::readOsVersion(r);
        return r;
    }();
    return record;
}

String osDescription() {
    return OsVersionName::name(osVersion(), &SystemPlatform::productType);
}

void addIdentity(const ElementPtr& document) {
    Json::ElementMap::setString(document, u"hw_guid", hwGuid());
    Json::ElementMap::setString(document, u"username", username());
}

void addOperatingSystem(const ElementPtr& document, OsVersionRecord& record) {
    using Json::ElementMap;
    ElementMap::setString(document, u"os_id_platform", String::format(u"%i", record.platformId));
    ElementMap::setString(document, u"os_major", String::format(u"%i", record.major));
    ElementMap::setString(document, u"os_minor", String::format(u"%i", record.minor));
    ElementMap::setString(document, u"os_build_no",
                          String::format(u"%i", static_cast<int>(record.buildNumber & 0xFFFF)));
    ElementMap::setString(document, u"os_description",
                          OsVersionName::name(record, &SystemPlatform::productType));
}

void addOperatingSystem(const ElementPtr& document) {
    addOperatingSystem(document, osVersion());
}

} // namespace SystemInfo
