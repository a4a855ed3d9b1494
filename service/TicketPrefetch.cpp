#include "service/TicketPrefetch.h"

#include <system_error>
#include <utility>

TicketPrefetch::TicketPrefetch(std::function<bool()> fetch) : download(std::move(fetch)) {
    try {
        thread = std::thread([this] { replied = download(); });
    } catch (const std::system_error&) {
        replied = download();
    }
}

TicketPrefetch::~TicketPrefetch() {
    if (thread.joinable())
        thread.join();
}

void TicketPrefetch::finish() {
    if (finished)
        return;
    finished = true;
    if (thread.joinable())
        thread.join();
    if (!replied)
        download();
}
