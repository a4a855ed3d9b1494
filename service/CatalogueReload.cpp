#include "service/CatalogueReload.h"

#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/SoftwareCatalogue.h"
#include "service/TicketList.h"

void reloadCatalogues() {
    TicketList::instance().download();
    reloadSmallCatalogues();
}

void reloadSmallCatalogues() {
    LocaleCatalogue::instance().download();
    SoftwareCatalogue::instance().load();
    OsCatalogue::instance().download();
}
