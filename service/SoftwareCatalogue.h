#pragma once

#include "service/SoftwareEntry.h"
#include "base/String.h"

#include <map>
#include <vector>

// The software the service knows, ordered by id. One process-wide instance;
// tests may build their own.
class SoftwareCatalogue {
  public:
    using Entries = std::map<int, SoftwareEntry>;

    static SoftwareCatalogue& instance();

    // Replaces the entries with a fresh download ("getsoftwarelist.php"). A failed
    // request or a reply that is not JSON leaves the catalogue empty.
    void load();
    // The part of load() after the request: empties the catalogue and reads the reply.
    void loadFromReply(const String& reply);

    // Find-or-insert: an id without entry first gets a default entry (id field 0,
    // id_locale 1, texts empty, not supported), which then stays in the catalogue.
    SoftwareEntry& entry(int id);

    // Copies of the matching entries in id order. Word mode: the display text holds
    // every word of the query, case-insensitively for A to Z. Whole-text mode: the
    // first entry whose non-empty display text occurs in the query, at most one.
    std::vector<SoftwareEntry> search(const String& query, bool wholeText) const;

    // The entry that stands for any software; 0 until a load brought one. A load
    // without a wildcard entry keeps the previous id.
    int wildcardId() const { return wildcard; }

    int count() const { return static_cast<int>(entries.size()); }
    const Entries& all() const { return entries; }
    Entries::const_iterator begin() const { return entries.begin(); }
    Entries::const_iterator end() const { return entries.end(); }

  private:
    Entries entries;
    int wildcard = 0;
};
