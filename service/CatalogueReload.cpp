#include "service/CatalogueReload.h"

#include "service/SoftwareCatalogue.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/TicketList.h"

void reloadCatalogues() {
    LocaleCatalogue::instance().download();
    TicketList::instance().download();
    SoftwareCatalogue::instance().load();
    OsCatalogue::instance().download();
}
