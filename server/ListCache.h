#pragma once

#include "server/KeptReply.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// One list reply (gettickets, getsoftwarelist, ...) kept between requests as
// the bytes sent, with the change count of the snapshot it was built from.
// Change counts only grow, and a later snapshot sees everything an earlier one
// saw, so a reply built at a count at least as high as the one a request reads
// holds every change that request must see.
class ListCache {
  public:
    // The kept reply when it was built at `changes` or later; null otherwise.
    std::shared_ptr<const KeptReply> reply(int64_t changes) const {
        std::lock_guard<std::mutex> guard(lock);
        return keptChanges >= changes ? kept : nullptr;
    }
    // Keeps a reply built at `changes`, unless a newer one is kept already.
    void keep(int64_t changes, std::shared_ptr<const KeptReply> body) {
        std::lock_guard<std::mutex> guard(lock);
        if (changes > keptChanges || !kept) {
            keptChanges = changes;
            kept = std::move(body);
        }
    }
    // Held while the reply is rebuilt, so that the requests that find it stale
    // together build it once.
    std::mutex& rebuilding() { return rebuild; }

  private:
    mutable std::mutex lock;
    int64_t keptChanges = -1;
    std::shared_ptr<const KeptReply> kept;
    std::mutex rebuild;
};
