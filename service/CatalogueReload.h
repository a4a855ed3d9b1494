#pragma once

// Downloads the four lists again in the start-up order: languages, tickets,
// software, operating systems. Failed downloads leave their list empty; the
// caller refills the language box afterwards.
void reloadCatalogues();
