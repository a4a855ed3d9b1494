#include "service/SoftwareEntry.h"

String displayText(const SoftwareEntry& entry) {
    if (entry.file_desc.empty() && entry.file_version.empty())
        return String();
    if (!entry.file_version.empty())
        return String::format(u"%s - v%s", entry.file_desc, entry.file_version);
    return entry.file_desc;
}
