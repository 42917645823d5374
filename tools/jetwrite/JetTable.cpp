#include "JetTable.h"

#include "JetText.h"

#include <algorithm>
#include <stdexcept>

namespace jet {

namespace {

std::uint16_t fixedSizeOf(std::uint8_t type) {
    switch (type) {
    case typeLongInteger:
        return 4;
    case typeInteger:
        return 2;
    default:
        return 0;
    }
}

constexpr std::uint16_t textColumnBytes = 510; // 255 UCS-2 characters

std::size_t nullMaskSize(std::size_t columnCount) {
    return (columnCount + 7) / 8;
}

} // namespace

TableLayout::TableLayout(const std::vector<ColumnDefinition>& columns) {
    for (const ColumnDefinition& definition : columns) {
        ColumnLayout column;
        column.name = definition.name;
        column.type = definition.type;
        column.fixed = fixedSizeOf(definition.type) != 0;
        if (column.fixed) {
            column.size = fixedSizeOf(definition.type);
            column.fixedOffset = static_cast<std::uint16_t>(fixedSize_);
            fixedSize_ += column.size;
        } else {
            column.size = definition.type == typeText ? textColumnBytes : 0;
            column.varIndex = static_cast<std::uint16_t>(variableCount_++);
        }
        columns_.push_back(std::move(column));
    }
}

Bytes encodeRow(const TableLayout& layout, const std::vector<Cell>& cells) {
    const auto& columns = layout.columns();
    // The column count, then the fixed-size cells.
    Bytes row(2 + layout.fixedSize(), 0);
    put16(row, 0, static_cast<std::uint32_t>(columns.size()));
    std::vector<std::uint8_t> nullMask(nullMaskSize(columns.size()), 0);
    std::vector<std::uint32_t> variableStarts(layout.variableCount(), 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnLayout& column = columns[i];
        const Cell& cell = cells.at(i);
        if (cell)
            nullMask[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
        if (column.fixed) {
            if (cell)
                std::copy(cell->begin(), cell->end(), row.begin() + 2 + column.fixedOffset);
            continue;
        }
        variableStarts[column.varIndex] = static_cast<std::uint32_t>(row.size());
        if (cell)
            row.insert(row.end(), cell->begin(), cell->end());
    }
    const auto endOfData = static_cast<std::uint32_t>(row.size());
    if (layout.variableCount() > 0) {
        append16(row, endOfData);
        std::for_each(variableStarts.rbegin(), variableStarts.rend(),
                      [&row](std::uint32_t start) { append16(row, start); });
        append16(row, static_cast<std::uint32_t>(layout.variableCount()));
    }
    row.insert(row.end(), nullMask.begin(), nullMask.end());
    return row;
}

std::vector<Page> packRows(const std::vector<Bytes>& rows, std::uint32_t tablePage) {
    std::vector<Page> pages;
    std::size_t used = pageSize; // no page open yet
    std::size_t rowsOnPage = 0;
    auto close = [&] {
        if (pages.empty())
            return;
        put16(pages.back(), 2, static_cast<std::uint32_t>(pageSize - used));
        put16(pages.back(), dataPageRowCountOffset, static_cast<std::uint32_t>(rowsOnPage));
    };
    std::size_t rowEnd = pageSize;
    for (const Bytes& row : rows) {
        if (dataPageHeaderSize + 2 + row.size() > pageSize)
            throw std::invalid_argument("a row is too long for one page");
        if (used + 2 + row.size() > pageSize || rowsOnPage == maxRowsPerPage) {
            close();
            pages.push_back(blankPage());
            Page& page = pages.back();
            page[0] = dataPageType;
            page[1] = 0x01;
            put32(page, 4, tablePage);
            used = dataPageHeaderSize;
            rowsOnPage = 0;
            rowEnd = pageSize;
        }
        Page& page = pages.back();
        const std::size_t rowStart = rowEnd - row.size();
        std::copy(row.begin(), row.end(), page.begin() + static_cast<std::ptrdiff_t>(rowStart));
        put16(page, dataPageHeaderSize + 2 * rowsOnPage, static_cast<std::uint32_t>(rowStart));
        rowEnd = rowStart;
        used += 2 + row.size();
        ++rowsOnPage;
    }
    close();
    return pages;
}

Page tableDefinitionPage(const TableDefinition& definition) {
    const auto& columns = definition.layout.columns();
    Bytes body; // everything from offset 8 on
    body.resize(55, 0);
    put32(body, 8, definition.rowCount);                         // offset 16: rows in the table
    body[32] = definition.system ? 0x53 : 0x4E;                  // offset 40: system or user table
    put16(body, 33, static_cast<std::uint32_t>(columns.size())); // most columns a row has
    put16(body, 35, static_cast<std::uint32_t>(definition.layout.variableCount()));
    put16(body, 37, static_cast<std::uint32_t>(columns.size()));
    put32(body, 39, 0); // logical indexes
    put32(body, 43, 0); // index entries
    put32(body, 47, definition.usageMap);
    put32(body, 51, definition.freeMap);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnLayout& column = columns[i];
        Bytes entry(25, 0);
        entry[0] = column.type;
        put16(entry, 5, static_cast<std::uint32_t>(i));
        put16(entry, 7, column.varIndex);
        put16(entry, 9, static_cast<std::uint32_t>(i));
        const bool textual = column.type == typeText || column.type == typeMemo;
        if (textual)
            put16(entry, 11, 0x0409);           // general sort order
        entry[15] = column.fixed ? 0x03 : 0x02; // fixed length; may hold no value
        entry[16] = textual ? 0x01 : 0x00;      // text may be stored compressed
        put16(entry, 21, column.fixedOffset);
        put16(entry, 23, column.size);
        body.insert(body.end(), entry.begin(), entry.end());
    }
    for (const ColumnLayout& column : columns) {
        const Bytes name = encodeUcs2(column.name);
        append16(body, static_cast<std::uint32_t>(name.size()));
        body.insert(body.end(), name.begin(), name.end());
    }
    append16(body, 0xFFFF); // no long-value maps of columns follow
    if (8 + body.size() > pageSize)
        throw std::invalid_argument("the table definition does not fit one page");

    Page page = blankPage();
    page[0] = tableDefinitionPageType;
    page[1] = 0x01;
    put16(page, 2, static_cast<std::uint32_t>(pageSize - 8 - body.size() - 8));
    std::copy(body.begin(), body.end(), page.begin() + 8);
    put32(page, 8, static_cast<std::uint32_t>(body.size()));
    return page;
}

} // namespace jet
