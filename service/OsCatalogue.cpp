#include "service/OsCatalogue.h"

#include "service/ServiceClient.h"

OsCatalogue& OsCatalogue::instance() {
    static OsCatalogue catalogue;
    return catalogue;
}

void OsCatalogue::download() {
    entries.clear();
    const String reply = ServiceClient::post(u"getoslist.php", ServiceClient::codeBody());
    load(Json::parseText(reply));
}

void OsCatalogue::load(const ElementPtr& reply) {
    entries.clear();
    const Json::ElementMap* root = Json::asMap(reply);
    if (!root)
        return;
    for (const auto& [key, element] : root->members) {
        OsEntry entry;
        entry.id = key.toInt();
        if (Json::isObject(element)) {
            entry.idPlatform = Json::memberInt(element, u"id_platform");
            entry.major = Json::memberInt(element, u"major");
            entry.minor = Json::memberInt(element, u"minor");
            entry.buildNo = Json::memberInt(element, u"build_no");
            entry.desc = Json::memberText(element, u"desc");
        }
        entries[entry.id] = entry;
    }
}

OsEntry& OsCatalogue::get(int id) {
    return entries[id];
}
