#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Writes a Jet 4 database file (the Access 2000 format) holding one table of text columns.
// The file is what a reader of the format expects to find: the database definition page, the
// system catalog whose table definition sits at page 2, the table's definition, its data pages
// and the usage maps that list them.
namespace jet {

enum class ColumnType {
    Text, // up to 255 characters
    Memo, // long text, stored inside its row: up to about 4,000 bytes (2,000 non-Latin-1
          // characters)
};

struct Column {
    std::string name;
    ColumnType type = ColumnType::Text;
};

// One cell: UTF-8 text, or no value (NULL).
using Value = std::optional<std::string>;
using Row = std::vector<Value>;

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<Row> rows; // each as many cells as there are columns
};

// The whole file. Throws std::invalid_argument when the table cannot be written (no columns,
// a row of the wrong width, a Text value over 255 characters, a row too big for one page).
std::vector<std::uint8_t> writeDatabase(const Table& table);

// Writes the file at path; throws std::runtime_error when it cannot be written.
void writeDatabaseFile(const Table& table, const std::string& path);

} // namespace jet
