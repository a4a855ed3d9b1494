#pragma once

#include "service/SoftwareCatalogue.h"
#include "controls/DataGridModel.h"
#include "service/OsCatalogue.h"
#include "service/TicketList.h"

#include <cstdint>

// The rows of the solve-ticket list (IDD_SOLVE_TICKET): every open ticket in
// ascending id order with its question, software and operating system, for
// the helper to pick one to solve.
namespace SolveTicketList {

// The row background of a listed position; repeats every three rows.
uint32_t rowColour(int position);

// Gives `grid` the three columns and a row per open ticket (row data = ticket
// id, row number = position + 1, every cell left-aligned and protected, the
// background by position) and makes it sort by a title click with
// naturalCompare. A full grid ends the list. Returns the number of rows listed.
int build(DataGridModel& grid, const TicketList& tickets, SoftwareCatalogue& software,
          OsCatalogue& systems);

} // namespace SolveTicketList
