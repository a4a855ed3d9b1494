#include "playback/PlayedSoftware.h"

#include "service/VersionInfo.h"
#include "automation/ElementDescription.h"

SoftwareEntry playedSoftware(AutomationClient* client, const AutomationElementPtr& element,
                             VersionResource& resource, const SoftwareCatalogue& catalogue) {
    // Each answer names its own software: nothing carries over from an earlier one.
    SoftwareEntry software;
    const ElementTrace trace = buildTrace(client, element);
    String moduleName, modulePath;
    if (!trace.elements.empty()) {
        moduleName = trace.elements.front().moduleName;
        modulePath = trace.elements.front().modulePath;
    }
    readVersionInfo(resource, client, modulePath, moduleName, element, software);
    if (software.product_name == String(u"Betriebssystem Microsoft\u00ae Windows\u00ae"))
        return SoftwareEntry();
    const String shown = displayText(software);
    for (const auto& [key, entry] : catalogue) {
        if (displayText(entry) == shown) {
            software.id = entry.id;
            break;
        }
    }
    return software;
}
