#pragma once

#include "JetLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How one table is laid out in the file: its columns with their places in a row, the rows
// encoded as the data pages hold them, and its table definition page.
namespace jet {

struct ColumnLayout {
    std::string name;
    std::uint8_t type = typeText;
    std::uint16_t size =
        0; // bytes a fixed value takes, or the most a text takes; 0 for long values
    bool fixed = false;
    std::uint16_t fixedOffset = 0; // fixed columns: place in the row's fixed part
    std::uint16_t varIndex = 0;    // variable columns: place in the row's offset table
};

class TableLayout {
public:
    struct ColumnDefinition {
        std::string name;
        std::uint8_t type;
    };
    explicit TableLayout(const std::vector<ColumnDefinition>& columns);

    const std::vector<ColumnLayout>& columns() const { return columns_; }
    std::size_t variableCount() const { return variableCount_; }
    std::size_t fixedSize() const { return fixedSize_; }

private:
    std::vector<ColumnLayout> columns_;
    std::size_t variableCount_ = 0;
    std::size_t fixedSize_ = 0;
};

using Bytes = std::vector<std::uint8_t>;
// A cell's stored bytes, or no value.
using Cell = std::optional<Bytes>;

// One row as a data page stores it: the column count, the fixed values, the variable values,
// their offsets in reverse order behind them, and the null mask (a set bit: "has a value").
Bytes encodeRow(const TableLayout& layout, const std::vector<Cell>& cells);

// The rows spread over data pages belonging to the table defined at tablePage.
std::vector<Page> packRows(const std::vector<Bytes>& rows, std::uint32_t tablePage);

struct TableDefinition {
    const TableLayout& layout;
    bool system = false;
    std::uint32_t rowCount = 0;
    std::uint32_t usageMap = 0; // row pointer of the map of the table's data pages
    std::uint32_t freeMap = 0;  // row pointer of the map of its pages with free space
};

// The table definition page; throws std::invalid_argument when it does not fit one page.
Page tableDefinitionPage(const TableDefinition& definition);

} // namespace jet
