#include "service/VersionInfo.h"

#include "automation/ElementDescription.h"

namespace {

// The characters after the name: the first blank opens the version, the next one
// ends it. Anything before the first digit or point is skipped ("v2.1"); once
// the version has begun, any other character ends it, so that "1.0-beta2" gives
// 1.0 and not the digits of both parts run together.
String versionAfter(const String& text, int from) {
    String version;
    bool afterSpace = false;
    for (int i = from; i < text.length(); ++i) {
        char16_t c = text[i];
        if (c == u' ') {
            if (afterSpace)
                break;
            afterSpace = true;
        } else if (afterSpace && ((c >= u'0' && c <= u'9') || c == u'.')) {
            version.append(c);
        } else if (!version.empty()) {
            break;
        }
    }
    return version;
}

} // namespace

void versionFromTitles(AutomationClient* automation, const AutomationElementPtr& element,
                       const String& name, String& shortVersion, String& fullVersion) {
    if (!automation)
        return;
    String version;
    for (AutomationElementPtr e = element; e; e = parentElement(automation, e)) {
        String text = automation->name(e).value_or(String());
        if (text.find(u"Desktop") == 0)
            break;
        if (!name.empty()) {
            int at = text.find(name);
            if (at >= 0) {
                version = versionAfter(text, at + name.length());
                if (!version.empty())
                    break;
            }
        }
    }
    if (!version.empty()) {
        shortVersion = version;
        fullVersion = version;
    }
}

int readVersionInfo(VersionResource& resource, AutomationClient* automation, const String& path,
                    const String& moduleName, const AutomationElementPtr& element,
                    SoftwareEntry& entry) {
    int result = 0;
    const uint32_t size = resource.size(path);
    entry.file_desc.clear();
    entry.product_name.clear();
    entry.file_version.clear();
    entry.file_version_full.clear();
    if (size > 0 && resource.read(path, size)) {
        FixedFileVersion fixed;
        if (resource.queryFixedInfo(fixed) && fixed.productVersionMS != 0 &&
            fixed.fileVersionMS != 0) {
            entry.file_version = String::format(u"%d.%d", int(fixed.productVersionMS >> 16),
                                                int(fixed.fileVersionMS & 0xFFFF));
        }
        std::vector<VersionTranslation> translations;
        if (resource.queryTranslations(translations)) {
            result = 1;
            for (const VersionTranslation& t : translations) {
                const String block = String::format(u"\\StringFileInfo\\%04x%04x\\",
                                                    unsigned(t.language), unsigned(t.codePage));
                String value;
                if (resource.queryString(block + u"FileDescription", value))
                    entry.file_desc = value;
                if (resource.queryString(block + u"ProductName", value))
                    entry.product_name = value;
                if (resource.queryString(block + u"FileVersion", value))
                    entry.file_version_full = value;
            }
        }
    }
    entry.module_name = moduleName;
    if (entry.file_version.empty()) {
        const String& name = entry.product_name.empty() ? entry.file_desc : entry.product_name;
        versionFromTitles(automation, element, name, entry.file_version, entry.file_version_full);
    }
    return result;
}
