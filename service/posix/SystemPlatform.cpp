#include "service/SystemPlatform.h"

#include "base/Utf8.h"

#include <cstdlib>
#include <fstream>
#include <string>

// Native stand-in: the machine answers as a Windows 11 Pro would, so the whole
// request path runs unchanged on Linux.
namespace SystemPlatform {

// A stable per-machine identity in the GUID form Windows uses, from the
// machine id.
String hardwareProfileGuid() {
    std::ifstream file("/etc/machine-id");
    std::string id;
    if (!(file >> id) || id.size() != 32)
        return String();
    std::string guid = "{" + id.substr(0, 8) + "-" + id.substr(8, 4) + "-" + id.substr(12, 4) +
                       "-" + id.substr(16, 4) + "-" + id.substr(20, 12) + "}";
    return Utf8::decode(guid);
}

String environmentUsername() {
    const char* name = std::getenv("USERNAME");
    return name ? Utf8::decode(name, std::char_traits<char>::length(name)) : String();
}

// What GetVersionExW reports to a program without a compatibility manifest on
// Windows 11 23H2, with the build number from the registry.
void readOsVersion(OsVersionRecord& record) {
    record = OsVersionRecord();
    record.platformId = 2;
    record.major = 6;
    record.minor = 2;
    record.buildNumber = 22631;
}

bool productType(const OsVersionRecord&, unsigned& type) {
    type = 48; // PRODUCT_PROFESSIONAL
    return true;
}

int systemDefaultLcid() {
    return 1031;
}

} // namespace SystemPlatform
