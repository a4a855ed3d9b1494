#pragma once

// Downloads the four lists again: the tickets, then languages, software and
// operating systems. Failed downloads leave their list empty; the caller
// refills the language box afterwards.
void reloadCatalogues();
// The three lists other than the tickets, which the start downloads while the
// tickets' own download goes on.
void reloadSmallCatalogues();
