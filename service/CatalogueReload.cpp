#include "service/CatalogueReload.h"

#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/SoftwareCatalogue.h"
#include "service/TicketList.h"
#include "service/TicketPrefetch.h"

namespace {

void reloadOtherLists() {
    LocaleCatalogue::instance().download();
    SoftwareCatalogue::instance().load();
    OsCatalogue::instance().download();
}

} // namespace

void reloadCatalogues() {
    TicketList::instance().download();
    reloadOtherLists();
}

void reloadCatalogues(TicketPrefetch& tickets) {
    reloadOtherLists();
    tickets.finish();
}
