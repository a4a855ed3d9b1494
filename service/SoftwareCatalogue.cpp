#include "service/SoftwareCatalogue.h"

#include "base/Protocol.h"
#include "base/Words.h"
#include "base/Json.h"
#include "service/ServiceClient.h"

using namespace Protocol;

SoftwareCatalogue& SoftwareCatalogue::instance() {
    static SoftwareCatalogue catalogue;
    return catalogue;
}

void SoftwareCatalogue::load() {
    entries.clear();
    loadFromReply(ServiceClient::post(Endpoint::getsoftwarelist, ServiceClient::codeBody()));
}

void SoftwareCatalogue::loadFromReply(const String& reply) {
    entries.clear();
    ElementPtr root = Json::parseText(reply);
    const Json::ElementMap* map = Json::asMap(root);
    if (!map)
        return;
    for (const auto& [key, value] : map->members) {
        SoftwareEntry entry;
        entry.id = key.toInt();
        if (Json::isObject(value)) {
            entry.id_locale = Json::memberInt(value, Member::id_locale);
            entry.file_desc = Json::memberText(value, Member::file_desc);
            entry.product_name = Json::memberText(value, Member::product_name);
            entry.file_version = Json::memberText(value, Member::file_version);
            entry.file_version_full = Json::memberText(value, Member::file_version_full);
            entry.supported = Json::memberInt(value, Member::supported) != 0;
            entry.module_name = Json::memberText(value, Member::module_name);
            if (entry.file_desc.empty() && entry.product_name.empty() && entry.file_version.empty())
                wildcard = entry.id;
        }
        entries[entry.id] = std::move(entry);
    }
}

SoftwareEntry& SoftwareCatalogue::entry(int id) {
    // A default-constructed entry is exactly the find-or-insert default (id 0).
    return entries[id];
}

std::vector<SoftwareEntry> SoftwareCatalogue::search(const String& query, bool wholeText) const {
    std::vector<SoftwareEntry> found;
    const String lowered = query.lower();
    if (wholeText) {
        for (const auto& [id, entry] : entries) {
            String text = displayText(entry).lower();
            if (!text.empty() && lowered.find(text) >= 0) {
                found.push_back(entry);
                break;
            }
        }
        return found;
    }
    const std::vector<String> words = splitWords(lowered);
    for (const auto& [id, entry] : entries) {
        if (containsAllWords(displayText(entry).lower(), words))
            found.push_back(entry);
    }
    return found;
}
