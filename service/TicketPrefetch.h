#pragma once

#include <functional>
#include <thread>

// The ticket list's download begun before the list is needed: at start it
// runs while the version check and the other lists wait for their replies,
// instead of after them.
class TicketPrefetch {
  public:
    // Starts `download` on a thread of its own (on this one, when no thread can
    // be had). It returns whether a reply arrived.
    explicit TicketPrefetch(std::function<bool()> download);
    // Waits for the download: a program that ends before the list was needed
    // leaves nothing running.
    ~TicketPrefetch();
    TicketPrefetch(const TicketPrefetch&) = delete;
    TicketPrefetch& operator=(const TicketPrefetch&) = delete;

    // Waits for the download. When it got no reply (the service was not
    // reachable yet, and the version check may have waited for it since),
    // downloads once more, here.
    void finish();

  private:
    std::function<bool()> download;
    std::thread thread;
    bool replied = false;
    bool finished = false;
};
