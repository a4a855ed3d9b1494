#include "app/SolveTicketList.h"

#include "app/NaturalCompare.h"
#include "app/TicketEnvironment.h"

namespace SolveTicketList {

namespace {

struct ColumnSpec {
    const char16_t* title;
    int width;
};
constexpr ColumnSpec columnSpecs[] = {
    {u"Frage", 700}, {u"Software", 300}, {u"Betriebssystem", 150}};

} // namespace

uint32_t rowColour(int position) {
    static constexpr uint32_t colours[] = {gridColour(250, 220, 220), gridColour(220, 250, 220),
                                           gridColour(250, 250, 220)};
    return colours[position % 3];
}

int build(DataGridModel& grid, const TicketList& tickets, SoftwareCatalogue& software,
          OsCatalogue& systems) {
    for (int c = 0; c < DataGridModel::columnCount; ++c) {
        grid.columns[c].title = columnSpecs[c].title;
        grid.columns[c].width = columnSpecs[c].width;
        grid.columns[c].titleAlignment = 0;
    }
    int position = 0;
    for (const auto& [id, stored] : tickets) {
        const Ticket ticket = stored;
        // Looked up for every ticket, listed or not: the catalogues learn of
        // every id the tickets name.
        const String softwareText = ticketSoftwareText(ticket, software, true);
        const String osText = ticketOsText(ticket, systems);
        if (ticket.id_state != TicketOpen)
            continue;
        if (!grid.addRow(ticket.question, ticket.id))
            break;
        const int row = grid.rowCount() - 1;
        grid.setCellText(row, 0, ticket.question);
        GridRow& record = grid.row(row);
        record.alignments[0] = 0;
        record.protectedCells[0] = 1;
        record.rowNumber = position + 1;
        grid.setCellLabel(row, 1, softwareText);
        grid.setCellLabel(row, 2, osText);
        record.background = rowColour(position);
        ++position;
    }
    grid.compare = naturalCompare;
    grid.sortable = true;
    return position;
}

} // namespace SolveTicketList
