#include "service/LocaleCatalogue.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"
#include "service/SystemPlatform.h"

using namespace Protocol;

LocaleCatalogue& LocaleCatalogue::instance() {
    static LocaleCatalogue catalogue;
    return catalogue;
}

void LocaleCatalogue::download() {
    download(SystemPlatform::systemDefaultLcid());
}

void LocaleCatalogue::download(int systemLcid) {
    // Emptied before the request, so a failed request leaves no stale list.
    entries.clear();
    const String reply = ServiceClient::post(Endpoint::getlocalelist, ServiceClient::codeBody());
    load(Json::parseText(reply), systemLcid);
}

void LocaleCatalogue::load(const ElementPtr& reply, int systemLcid) {
    entries.clear();
    const Json::ElementMap* root = Json::asMap(reply);
    if (!root)
        return;
    // Members come in key order as text, so "9" follows "10"; the map orders
    // by number.
    for (const auto& [key, element] : root->members) {
        LocaleEntry entry;
        entry.id = key.toInt();
        if (Json::isObject(element)) {
            entry.microsoftLcid = Json::memberInt(element, Member::microsoft_lcid);
            entry.description = Json::memberText(element, Member::description);
            if (entry.microsoftLcid == systemLcid)
                defaultId = entry.id;
        }
        entries[entry.id] = entry;
    }
}

LocaleEntry& LocaleCatalogue::get(int id) {
    return entries[id];
}
