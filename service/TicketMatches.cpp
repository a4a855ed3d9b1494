#include "service/TicketMatches.h"

void TicketMatches::clear() {
    index.reset();
    language = nullptr;
    positions.clear();
    complete = false;
    query.clear();
}
