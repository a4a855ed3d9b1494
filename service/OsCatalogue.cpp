#include "service/OsCatalogue.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"

using namespace Protocol;

OsCatalogue& OsCatalogue::instance() {
    static OsCatalogue catalogue;
    return catalogue;
}

void OsCatalogue::download() {
    entries.clear();
    const String reply = ServiceClient::post(Endpoint::getoslist, ServiceClient::codeBody());
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
            entry.idPlatform = Json::memberInt(element, Member::id_platform);
            entry.major = Json::memberInt(element, Member::major);
            entry.minor = Json::memberInt(element, Member::minor);
            entry.buildNo = Json::memberInt(element, Member::build_no);
            entry.desc = Json::memberText(element, Member::desc);
        }
        entries[entry.id] = entry;
    }
}

OsEntry& OsCatalogue::get(int id) {
    return entries[id];
}
