#include "service/SystemInfo.h"

#include "base/Protocol.h"
#include "service/OsVersionName.h"
#include "service/SystemPlatform.h"

using namespace Protocol;

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
    Json::ElementMap::setString(document, Member::hw_guid, hwGuid());
    Json::ElementMap::setString(document, Member::username, username());
}

void addOperatingSystem(const ElementPtr& document, OsVersionRecord& record) {
    using Json::ElementMap;
    ElementMap::setString(document, Member::os_id_platform,
                          String::format(u"%i", record.platformId));
    ElementMap::setString(document, Member::os_major, String::format(u"%i", record.major));
    ElementMap::setString(document, Member::os_minor, String::format(u"%i", record.minor));
    ElementMap::setString(document, Member::os_build_no,
                          String::format(u"%i", static_cast<int>(record.buildNumber & 0xFFFF)));
    ElementMap::setString(document, Member::os_description,
                          OsVersionName::name(record, &SystemPlatform::productType));
}

void addOperatingSystem(const ElementPtr& document) {
    addOperatingSystem(document, osVersion());
}

} // namespace SystemInfo
