#include "JetDatabase.h"

#include "JetHeader.h"
#include "JetLongValues.h"
#include "JetTable.h"
#include "JetText.h"
#include "JetUsageMap.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace jet {

namespace {

// Where the parts of the file go. The catalog's definition must be at page 2.
constexpr std::uint32_t mapsPage = 1;
constexpr std::uint32_t catalogPage = 2;
constexpr std::uint32_t catalogDataPage = 3;
constexpr std::uint32_t tablePage = 4;
constexpr std::uint32_t firstLongValuePage = 5; // the table's data pages follow them

constexpr std::size_t maxTextCharacters = 255;
constexpr std::uint32_t memoStoredInline = 0x80000000;
constexpr std::size_t memoHeaderSize = 12;
// A memo whose stored text is longer goes to long-value pages, so that its row fits a page.
constexpr std::size_t longestMemoInRow = 2000;
// The length of a memo stored over pages has 24 bits; the byte above holds flags.
constexpr std::size_t longestMemo = 0xFFFFFF;

// Object type and flags of catalog entries.
constexpr std::int16_t objectTypeTable = 1;
constexpr std::uint32_t systemObjectFlags = 0x80000002;

Bytes longInteger(std::uint32_t value) {
    Bytes bytes;
    append32(bytes, value);
    return bytes;
}

Bytes integer(std::int16_t value) {
    Bytes bytes;
    append16(bytes, static_cast<std::uint16_t>(value));
    return bytes;
}

Bytes text(std::string_view utf8) {
    return encodeJetText(utf16FromUtf8(utf8));
}

const TableLayout& catalogLayout() {
    static const TableLayout layout({{"Id", typeLongInteger},
                                     {"ParentId", typeLongInteger},
                                     {"Name", typeText},
                                     {"Type", typeInteger},
                                     {"Flags", typeLongInteger},
                                     {"LvProp", typeOle}});
    return layout;
}

Bytes catalogEntry(std::uint32_t definitionPage, std::string_view name, std::uint32_t flags) {
    return encodeRow(catalogLayout(), {longInteger(definitionPage), longInteger(0), text(name),
                                       integer(objectTypeTable), longInteger(flags), std::nullopt});
}

Cell textCell(const Value& value) {
    if (!value)
        return std::nullopt;
    const std::vector<std::uint16_t> units = utf16FromUtf8(*value);
    if (units.size() > maxTextCharacters)
        throw std::invalid_argument("a Text value is longer than 255 characters");
    return encodeJetText(units);
}

// The memo's header (its length, where it is stored) and, when it fits the row, its text.
Cell memoCell(const Value& value, LongValuePages& longValues) {
    if (!value)
        return std::nullopt;
    const Bytes stored = text(*value);
    Bytes bytes;
    const auto length = static_cast<std::uint32_t>(stored.size());
    if (stored.size() > longestMemo)
        throw std::invalid_argument("a Memo value is longer than 16 MB as stored");
    if (stored.size() > longestMemoInRow) {
        append32(bytes, length); // no flag: stored over pages, as a chain
        append32(bytes, longValues.store(stored));
        bytes.resize(memoHeaderSize, 0);
        return bytes;
    }
    append32(bytes, length | memoStoredInline);
    bytes.resize(memoHeaderSize, 0);
    bytes.insert(bytes.end(), stored.begin(), stored.end());
    return bytes;
}

std::vector<Bytes> encodeTableRows(const Table& table, const TableLayout& layout,
                                   LongValuePages& longValues) {
    std::vector<Bytes> rows;
    rows.reserve(table.rows.size());
    std::vector<Cell> cells(table.columns.size());
    for (const Row& row : table.rows) {
        if (row.size() != table.columns.size())
            throw std::invalid_argument("a row does not have one value per column");
        for (std::size_t i = 0; i < row.size(); ++i)
            cells[i] = table.columns[i].type == ColumnType::Memo ? memoCell(row[i], longValues)
                                                                 : textCell(row[i]);
        rows.push_back(encodeRow(layout, cells));
    }
    return rows;
}

TableLayout layoutOf(const Table& table) {
    if (table.columns.empty())
        throw std::invalid_argument("a table needs at least one column");
    std::vector<TableLayout::ColumnDefinition> definitions;
    for (const Column& column : table.columns)
        definitions.push_back({column.name, column.type == ColumnType::Memo ? typeMemo : typeText});
    return TableLayout(definitions);
}

std::vector<std::uint32_t> pageNumbers(std::uint32_t first, std::size_t count) {
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < count; ++i)
        numbers.push_back(first + static_cast<std::uint32_t>(i));
    return numbers;
}

} // namespace

std::vector<std::uint8_t> writeDatabase(const Table& table) {
    const TableLayout layout = layoutOf(table);
    LongValuePages longValues(firstLongValuePage);
    const std::vector<Page> tableData =
        packRows(encodeTableRows(table, layout, longValues), tablePage);
    const auto firstTableDataPage =
        firstLongValuePage + static_cast<std::uint32_t>(longValues.pages().size());
    const std::uint32_t firstFreePage =
        firstTableDataPage + static_cast<std::uint32_t>(tableData.size());
    const UsageMap tableMap =
        buildUsageMap(pageNumbers(firstTableDataPage, tableData.size()), firstFreePage);
    const UsageMap catalogMap = buildUsageMap({catalogDataPage}, firstFreePage);
    const UsageMap noFreeSpace = buildUsageMap({}, firstFreePage);

    // The rows of page 1, in this order: catalog map, catalog free map, table map, table free map.
    const std::vector<Page> maps =
        packRows({catalogMap.row, noFreeSpace.row, tableMap.row, noFreeSpace.row}, 0);
    const std::vector<Page> catalogData =
        packRows({catalogEntry(catalogPage, "MSysObjects", systemObjectFlags),
                  catalogEntry(tablePage, table.name, 0)},
                 catalogPage);

    std::vector<Page> pages;
    pages.push_back(databaseDefinition());
    pages.push_back(maps.front());
    pages.push_back(tableDefinitionPage(
        {catalogLayout(), true, 2, rowPointer(mapsPage, 0), rowPointer(mapsPage, 1)}));
    pages.push_back(catalogData.front());
    pages.push_back(
        tableDefinitionPage({layout, false, static_cast<std::uint32_t>(table.rows.size()),
                             rowPointer(mapsPage, 2), rowPointer(mapsPage, 3)}));
    pages.insert(pages.end(), longValues.pages().begin(), longValues.pages().end());
    pages.insert(pages.end(), tableData.begin(), tableData.end());
    pages.insert(pages.end(), tableMap.bitmapPages.begin(), tableMap.bitmapPages.end());

    std::vector<std::uint8_t> file;
    file.reserve(pages.size() * pageSize);
    for (const Page& page : pages)
        file.insert(file.end(), page.begin(), page.end());
    return file;
}

void writeDatabaseFile(const Table& table, const std::string& path) {
    const std::vector<std::uint8_t> bytes = writeDatabase(table);
    // Written beside the target and renamed over it only when complete, so that a failure
    // never leaves a half database where a good one was (the shipped list, say).
    const std::string partial = path + ".jetwrite-partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    std::error_code renamed;
    if (out)
        std::filesystem::rename(partial, path, renamed);
    if (!out || renamed) {
        std::filesystem::remove(partial, renamed);
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace jet
