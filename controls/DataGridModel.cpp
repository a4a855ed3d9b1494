#include "controls/DataGridModel.h"

#include <algorithm>
#include <cstdlib>

namespace {

const String emptyText;
const String blankText = u" ";

// Pixels around a column's right border that grab it for resizing.
constexpr int borderGrip = 3;
// Pointer positions further right are ignored while resizing.
constexpr int resizeLimit = 2000;
// Horizontal scrolling by line and by page.
constexpr int horizontalStep = 10;

// One row during a sort: its cell text, read in place, and its index before.
struct SortKey {
    const char16_t* text = nullptr;
    int length = 0;
    int row = 0;
};

// A bubble sort swaps two neighbours only when comparing the earlier with the
// later one gives the direction, so with a consistent comparison it ends in
// the stable order of that comparison. This bottom-up merge sort reaches the
// same order in O(n log n): it asks the same question (earlier row first) and
// takes the later row first only on the same answer. Any comparison, however
// inconsistent, still ends in some order of all the rows.
void sortKeys(std::vector<SortKey>& keys, GridCompare compare, int column, int direction) {
    auto later = [&](const SortKey& earlier, const SortKey& next) {
        return compare(String::borrow(earlier.text, earlier.length),
                       String::borrow(next.text, next.length), column) == direction;
    };
    const size_t n = keys.size();
    std::vector<SortKey> merged(n);
    for (size_t run = 1; run < n; run *= 2) {
        for (size_t low = 0; low < n; low += 2 * run) {
            const size_t middle = std::min(low + run, n);
            const size_t high = std::min(low + 2 * run, n);
            size_t left = low, right = middle, out = low;
            // Runs already in order are only copied.
            if (middle < high && later(keys[middle - 1], keys[middle])) {
                while (left < middle && right < high)
                    merged[out++] = later(keys[left], keys[right]) ? keys[right++] : keys[left++];
            }
            while (left < middle)
                merged[out++] = keys[left++];
            while (right < high)
                merged[out++] = keys[right++];
        }
        keys.swap(merged);
    }
}

} // namespace

bool DataGridModel::addRow(const String& text, int32_t rowData) {
    if (rowCount() >= maxRows)
        return false;
    if (rows.size() == rows.capacity()) {
        // Whole blocks of 50, their number doubling, so filling the grid
        // costs linear time.
        const int blocks = static_cast<int>(rows.capacity()) / rowBlock;
        rows.reserve(static_cast<size_t>(std::min(maxRows, std::max(1, blocks * 2) * rowBlock)));
    }
    GridRow record;
    const size_t n = columns.size();
    record.cells.assign(n, blankText);
    record.alignments.assign(n, 1);
    record.protectedCells.assign(n, 0);
    if (n > 0)
        record.cells[0] = text;
    record.rowData = rowData;
    rows.push_back(std::move(record));
    notify(GridRowAdded);
    return true;
}

bool DataGridModel::setCellText(int row, int column, const String& text) {
    if (!validCell(row, column))
        return false;
    rows[static_cast<size_t>(row)].cells[static_cast<size_t>(column)] = text;
    return true;
}

bool DataGridModel::setCellLabel(int row, int column, const String& text) {
    if (!setCellText(row, column, text))
        return false;
    GridRow& record = rows[static_cast<size_t>(row)];
    record.alignments[static_cast<size_t>(column)] = 0;
    if (editable)
        record.protectedCells[static_cast<size_t>(column)] = 1;
    return true;
}

int DataGridModel::rowCount() const {
    return static_cast<int>(rows.size());
}

int DataGridModel::capacity() const {
    return static_cast<int>(rows.capacity());
}

GridRow& DataGridModel::row(int index) {
    if (index < 0 || index >= rowCount()) {
        scratch = GridRow();
        return scratch;
    }
    return rows[static_cast<size_t>(index)];
}

const GridRow& DataGridModel::row(int index) const {
    static const GridRow none;
    if (index < 0 || index >= rowCount())
        return none;
    return rows[static_cast<size_t>(index)];
}

const String& DataGridModel::cellText(int row, int column) const {
    if (!validCell(row, column))
        return emptyText;
    return rows[static_cast<size_t>(row)].cells[static_cast<size_t>(column)];
}

bool DataGridModel::validCell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0)
        return false;
    const GridRow& record = rows[static_cast<size_t>(row)];
    const size_t c = static_cast<size_t>(column);
    return c < columns.size() && c < record.cells.size() && c < record.alignments.size() &&
           c < record.protectedCells.size();
}

bool DataGridModel::cellEditable(int row, int column) const {
    return validCell(row, column) &&
           !rows[static_cast<size_t>(row)].protectedCells[static_cast<size_t>(column)];
}

bool DataGridModel::sort(int column) {
    if (!compare || column < 0 || column >= static_cast<int>(columns.size()))
        return false;
    notify(GridSortStarts);
    const int direction = sortDirection(column);
    const int n = rowCount();
    std::vector<SortKey> keys(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        const String& text = cellText(r, column);
        keys[static_cast<size_t>(r)] = SortKey{text.data(), text.length(), r};
    }
    sortKeys(keys, compare, column, direction);
    std::vector<int> order;
    order.reserve(keys.size());
    for (const SortKey& key : keys)
        order.push_back(key.row);

    std::vector<GridRow> sorted;
    sorted.reserve(rows.capacity());
    for (int from : order)
        sorted.push_back(std::move(rows[static_cast<size_t>(from)]));
    rows.swap(sorted);
    if (editorOpen) {
        // The editor stays with its row record.
        auto at = std::find(order.begin(), order.end(), editRow);
        editRow = at == order.end() ? -1 : static_cast<int>(at - order.begin());
    }

    directions[column] = -direction;
    notify(GridSortFinished);
    selRow = -1;
    for (int r = 0; r < n; ++r) {
        if (rows[static_cast<size_t>(r)].selected) {
            selRow = r;
            break;
        }
    }
    if (editorOpen && view)
        view->placeEditor(cellRect(editRow, editColumn), cellVisible(editRow, editColumn));
    repaint();
    return true;
}

int DataGridModel::sortDirection(int column) const {
    auto at = directions.find(column);
    return at == directions.end() ? 1 : at->second;
}

GridRow* DataGridModel::selectedRowRecord() {
    if (selRow < 0 || selRow >= rowCount())
        return nullptr;
    return &rows[static_cast<size_t>(selRow)];
}

bool DataGridModel::select(int row, int column) {
    if (!validCell(row, column))
        return false;
    clearSelection();
    selRow = row;
    selColumn = column;
    rows[static_cast<size_t>(row)].selected = 1;
    return true;
}

void DataGridModel::clearSelection() {
    for (GridRow& record : rows)
        record.selected = 0;
    selRow = -1;
    selColumn = -1;
}

void DataGridModel::moveSelection(int row) {
    if (selRow >= 0 && selRow < rowCount())
        rows[static_cast<size_t>(selRow)].selected = 0;
    selRow = row;
    rows[static_cast<size_t>(row)].selected = 1;
}

void DataGridModel::setFontHeights(int headerText, int cellText) {
    headerTextHeight = std::max(1, headerText);
    cellTextHeight = std::max(2, cellText);
    clampScroll();
}

void DataGridModel::setClientSize(int clientWidth, int clientHeight) {
    width = std::max(0, clientWidth);
    height = std::max(0, clientHeight);
    clampScroll();
    if (editorOpen && view)
        view->placeEditor(cellRect(editRow, editColumn), cellVisible(editRow, editColumn));
}

int DataGridModel::headerHeight() const {
    return headerTextHeight + (sortable ? 0 : 2);
}

int DataGridModel::rowHeight() const {
    return cellTextHeight;
}

int DataGridModel::columnLeft(int column) const {
    int left = 0;
    const int n = std::min(column, static_cast<int>(columns.size()));
    for (int c = 0; c < n; ++c)
        left += columns[static_cast<size_t>(c)].width;
    return left;
}

int DataGridModel::totalWidth() const {
    return columnLeft(static_cast<int>(columns.size()));
}

// Neighbouring rows share one pixel line, and the first row shares the
// header's bottom line.
int DataGridModel::rowTop(int row) const {
    return headerHeight() - 1 + row * (rowHeight() - 1);
}

int DataGridModel::totalHeight() const {
    return headerHeight() + rowCount() * (rowHeight() - 1);
}

GridRect DataGridModel::cellRect(int row, int column) const {
    GridRect rect;
    rect.left = columnLeft(column) - scrollLeft;
    rect.right = rect.left + (column >= 0 && column < static_cast<int>(columns.size())
                                  ? columns[static_cast<size_t>(column)].width
                                  : 0);
    rect.top = rowTop(row) - scrollTop;
    rect.bottom = rect.top + rowHeight();
    return rect;
}

GridRect DataGridModel::titleRect(int column) const {
    GridRect rect = cellRect(0, column);
    rect.top = 0;
    rect.bottom = headerHeight();
    return rect;
}

bool DataGridModel::cellVisible(int row, int column) const {
    if (!validCell(row, column))
        return false;
    GridRect rect = cellRect(row, column);
    return rect.bottom > headerHeight() && rect.top < height && rect.right > 0 && rect.left < width;
}

void DataGridModel::visibleRows(int& first, int& end) const {
    const int step = rowHeight() - 1;
    // Row r shows when its bottom lies below the header and its top above
    // the client area's bottom.
    first = std::clamp(scrollTop / step, 0, rowCount());
    const int below = scrollTop + height - headerHeight() + 1;
    end = below <= 0 ? first : std::clamp((below + step - 1) / step, first, rowCount());
}

bool DataGridModel::cellAt(int x, int y, int& row, int& column) const {
    row = column = -1;
    if (y < headerHeight() || y >= height || x < 0 || x >= width)
        return false;
    const int contentY = y + scrollTop - (headerHeight() - 1);
    const int contentX = x + scrollLeft;
    if (contentY < 0)
        return false;
    const int r = contentY / (rowHeight() - 1);
    if (r >= rowCount())
        return false;
    for (int c = 0, left = 0; c < static_cast<int>(columns.size()); ++c) {
        const int right = left + columns[static_cast<size_t>(c)].width;
        if (contentX >= left && contentX < right && validCell(r, c)) {
            row = r;
            column = c;
            return true;
        }
        left = right;
    }
    return false;
}

int DataGridModel::titleAt(int x, int y) const {
    if (y < 0 || y >= headerHeight())
        return -1;
    const int contentX = x + scrollLeft;
    for (int c = 0, left = 0; c < static_cast<int>(columns.size()); ++c) {
        const int right = left + columns[static_cast<size_t>(c)].width;
        if (contentX >= left && contentX < right)
            return c;
        left = right;
    }
    return -1;
}

int DataGridModel::borderAt(int x, int y) const {
    if (y < 0 || y >= headerHeight())
        return -1;
    const int contentX = x + scrollLeft;
    for (int c = 0, right = 0; c < static_cast<int>(columns.size()); ++c) {
        right += columns[static_cast<size_t>(c)].width;
        if (std::abs(contentX - right) <= borderGrip)
            return c;
    }
    return -1;
}

uint32_t DataGridModel::cellFill(int row, int column) const {
    if (!validCell(row, column))
        return white;
    const GridRow& record = rows[static_cast<size_t>(row)];
    if (record.selected)
        return selectedFill;
    if (record.protectedCells[static_cast<size_t>(column)])
        return protectedFill;
    return record.background;
}

uint32_t DataGridModel::cellTextColourOf(int row) const {
    if (row >= 0 && row < rowCount() && rows[static_cast<size_t>(row)].selected)
        return selectedText;
    return cellTextColour;
}

DataGridModel::ScrollRange DataGridModel::horizontalRange() const {
    return ScrollRange{totalWidth(), width, scrollLeft};
}

DataGridModel::ScrollRange DataGridModel::verticalRange() const {
    return ScrollRange{totalHeight(), height, scrollTop};
}

int DataGridModel::pageStep() const {
    const int step = rowHeight() - 1;
    // A window lower than three rows still pages by one row, forwards.
    return std::max(1, height / step - 2) * step;
}

void DataGridModel::clampScroll() {
    scrollLeft = std::clamp(scrollLeft, 0, std::max(0, totalWidth() - width));
    scrollTop = std::clamp(scrollTop, 0, std::max(0, totalHeight() - height));
}

void DataGridModel::scrolled() {
    clampScroll();
    if (editorOpen && view)
        view->placeEditor(cellRect(editRow, editColumn), cellVisible(editRow, editColumn));
    if (view)
        view->scrollBarsChanged();
    repaint();
}

void DataGridModel::scrollHorizontal(int action, int trackPosition) {
    switch (action) {
    case scrollLineBack:
    case scrollPageBack:
        scrollLeft -= horizontalStep;
        break;
    case scrollLineForward:
    case scrollPageForward:
        scrollLeft += horizontalStep;
        break;
    case scrollThumbTrack:
        scrollLeft = trackPosition;
        break;
    default:
        return;
    }
    scrolled();
}

void DataGridModel::scrollVertical(int action, int trackPosition) {
    const int step = rowHeight() - 1;
    switch (action) {
    case scrollLineBack:
        scrollTop -= step;
        break;
    case scrollLineForward:
        scrollTop += step;
        break;
    case scrollPageBack:
        scrollTop -= pageStep();
        break;
    case scrollPageForward:
        scrollTop += pageStep();
        break;
    case scrollThumbTrack:
        scrollTop = std::max(0, trackPosition) / step * step;
        break;
    default:
        return;
    }
    scrolled();
}

void DataGridModel::scrollRowIntoView(int row) {
    if (row < 0 || row >= rowCount())
        return;
    const int top = rowTop(row);
    // Wholly below the header and above the bottom; the top wins when the
    // window is too low for the row.
    if (top + rowHeight() - scrollTop > height)
        scrollTop = top + rowHeight() - height;
    if (top - scrollTop < headerHeight() - 1)
        scrollTop = top - (headerHeight() - 1);
    scrolled();
}

void DataGridModel::scrollColumnIntoView(int column) {
    if (column < 0 || column >= static_cast<int>(columns.size()))
        return;
    const int left = columnLeft(column);
    const int right = left + columns[static_cast<size_t>(column)].width;
    if (right - scrollLeft > width)
        scrollLeft = right - width;
    if (left < scrollLeft)
        scrollLeft = left;
    scrolled();
}

void DataGridModel::notify(int code) {
    if (view)
        view->notify(code);
}

void DataGridModel::repaint() {
    if (view)
        view->repaint();
}

void DataGridModel::mouseDown(int x, int y) {
    commitEditor();
    int border = resizable ? borderAt(x, y) : -1;
    int title = titleAt(x, y);
    if (border >= 0 || title >= 0) {
        if (border >= 0) {
            pressed = border;
            resizingColumn = true;
        } else {
            pressed = title;
            columns[static_cast<size_t>(title)].pressed = true;
            headerDown = true;
        }
    } else {
        clearSelection();
        int r, c;
        if (cellAt(x, y, r, c)) {
            select(r, c);
            notify(GridSelectionChanged);
        }
    }
    repaint();
    if (view) {
        view->takeFocus();
        view->captureMouse();
    }
}

void DataGridModel::mouseMove(int x, int y, bool leftButton) {
    if (leftButton) {
        if (!resizingColumn || !resizable || x > resizeLimit || pressed < 0 ||
            pressed >= static_cast<int>(columns.size()))
            return;
        int newWidth = x + scrollLeft - columnLeft(pressed);
        columns[static_cast<size_t>(pressed)].width = newWidth < 0 ? 2 : newWidth;
        scrolled();
        return;
    }
    updateHover(x, y);
}

void DataGridModel::updateHover(int x, int y) {
    if (resizable)
        hover = borderAt(x, y) >= 0;
}

void DataGridModel::mouseUp(int x, int y) {
    finishButton(true, x, y);
}

void DataGridModel::nonClientMouseUp() {
    finishButton(false, 0, 0);
}

void DataGridModel::finishButton(bool inClient, int x, int y) {
    for (GridColumn& column : columns)
        column.pressed = false;
    if (resizingColumn) {
        resizingColumn = false;
        notify(GridResizeEnded);
    }
    if (headerDown) {
        headerDown = false;
        if (sortable && sort(pressed))
            notify(GridSorted);
    }
    if (inClient)
        updateHover(x, y);
    repaint();
    if (inClient && view)
        view->releaseMouse();
}

void DataGridModel::doubleClick(int x, int y) {
    if (!editable || !cellEditable(selRow, selColumn) || !cellVisible(selRow, selColumn))
        return;
    clearSelection();
    int r, c;
    if (!cellAt(x, y, r, c))
        return;
    select(r, c);
    openEditor(r, c);
}

void DataGridModel::wheel(int delta) {
    if (delta < 0)
        scrollVertical(scrollPageForward);
    else if (delta > 0)
        scrollVertical(scrollPageBack);
}

void DataGridModel::keyPress(int key) {
    if (selRow < 0 || selRow >= rowCount())
        return;
    switch (key) {
    case keyEnter:
    case keyDown:
        commitEditor();
        if (selRow + 1 < rowCount())
            moveSelection(selRow + 1);
        scrollRowIntoView(selRow);
        break;
    case keyUp:
        commitEditor();
        if (selRow > 0)
            moveSelection(selRow - 1);
        scrollRowIntoView(selRow);
        break;
    case keyLeft:
    case keyRight:
        selColumn = std::clamp(selColumn + (key == keyLeft ? -1 : 1), 0,
                               static_cast<int>(columns.size()) - 1);
        scrollColumnIntoView(selColumn);
        break;
    case keyPageUp:
        scrollVertical(scrollPageBack);
        break;
    case keyPageDown:
        scrollVertical(scrollPageForward);
        break;
    case keyEscape:
        cancelEditor();
        break;
    }
    notify(GridSelectionChanged);
    repaint();
}

void DataGridModel::character() {
    if (editable && cellVisible(selRow, selColumn))
        openEditor(selRow, selColumn);
}

bool DataGridModel::openEditor(int row, int column) {
    if (!cellEditable(row, column))
        return false;
    editorOpen = true;
    editRow = row;
    editColumn = column;
    if (view)
        view->showEditor(cellRect(row, column), cellText(row, column).substr(0, editorTextLimit));
    return true;
}

void DataGridModel::commitEditor() {
    if (!editorOpen)
        return;
    String text = view ? view->editorText().substr(0, editorTextLimit) : String();
    if (view)
        setCellText(editRow, editColumn, text);
    cancelEditor();
    notify(GridCellEdited);
}

void DataGridModel::cancelEditor() {
    if (!editorOpen)
        return;
    editorOpen = false;
    editRow = editColumn = -1;
    if (view)
        view->hideEditor();
}
