#pragma once

class TicketPrefetch;

// Downloads the four lists again: languages, tickets, software, operating
// systems. Failed downloads leave their list empty; the caller refills the
// language box afterwards.
void reloadCatalogues();
// The same at start, where the tickets' download began before: the other
// three are downloaded while it goes on, then it is waited for.
void reloadCatalogues(TicketPrefetch& tickets);
