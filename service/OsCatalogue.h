#pragma once

#include "base/Json.h"
#include "service/OsEntry.h"

#include <map>

// The service's operating systems in ascending id order; used to name a
// ticket's operating system by its id.
class OsCatalogue {
  public:
    static OsCatalogue& instance();

    // Replaces the content with the service's list ("getoslist.php").
    void download();
    // Replaces the content with the operating systems of a parsed reply.
    void load(const ElementPtr& reply);

    // Find-or-insert: an absent id gets an entry whose fields are all 0 or
    // empty (its id field included), stored under that id.
    OsEntry& get(int id);
    int count() const { return static_cast<int>(entries.size()); }
    void clear() { entries.clear(); }

    std::map<int, OsEntry>::const_iterator begin() const { return entries.begin(); }
    std::map<int, OsEntry>::const_iterator end() const { return entries.end(); }

  private:
    std::map<int, OsEntry> entries;
};
