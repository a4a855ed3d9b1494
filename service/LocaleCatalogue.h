#pragma once

#include "base/Json.h"
#include "service/LocaleEntry.h"

#include <map>

// The service's languages in ascending id order, and the one that matches the
// system's default locale.
class LocaleCatalogue {
  public:
    static LocaleCatalogue& instance();

    // Replaces the content with the service's list ("getlocalelist.php").
    void download();
    // The same with a given system default locale identifier.
    void download(int systemLcid);
    // Replaces the content with the languages of a parsed reply; an entry whose
    // microsoft_lcid equals `systemLcid` becomes the default (the last one in the
    // reply's key order when several do). Without one the default stays.
    void load(const ElementPtr& reply, int systemLcid);

    // Find-or-insert: an absent id gets an entry whose fields are all 0 or
    // empty (its id field included), stored under that id.
    LocaleEntry& get(int id);
    int count() const { return static_cast<int>(entries.size()); }
    void clear() { entries.clear(); }
    int defaultLocaleId() const { return defaultId; }

    std::map<int, LocaleEntry>::const_iterator begin() const { return entries.begin(); }
    std::map<int, LocaleEntry>::const_iterator end() const { return entries.end(); }

  private:
    std::map<int, LocaleEntry> entries;
    int defaultId = 0;
};
