#pragma once

#include "service/VersionResource.h"

#include <map>
#include <vector>

// A version resource held in memory.
struct FakeResource : VersionResource {
    uint32_t resourceSize = 1024;
    bool readable = true;
    bool hasFixed = true;
    FixedFileVersion fixed;
    bool hasTranslations = true;
    std::vector<VersionTranslation> translations;
    std::map<String, String> strings;

    uint32_t size(const String&) override { return resourceSize; }
    bool read(const String&, uint32_t) override { return readable; }
    bool queryFixedInfo(FixedFileVersion& out) override {
        out = fixed;
        return hasFixed;
    }
    bool queryTranslations(std::vector<VersionTranslation>& out) override {
        out = translations;
        return hasTranslations;
    }
    bool queryString(const String& block, String& out) override {
        auto it = strings.find(block);
        if (it == strings.end())
            return false;
        out = it->second;
        return true;
    }
};
