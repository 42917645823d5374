#include "UrlReading.h"

// glib.h must come first: mdbtools.h uses glib types without including it in C++.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace mdbreader {

namespace {

struct DatabaseCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
struct GlibFreer {
    void operator()(char* text) const { g_free(text); }
};
using Database = std::unique_ptr<MdbHandle, DatabaseCloser>;
using TableDefinition = std::unique_ptr<MdbTableDef, TableFreer>;
using GlibText = std::unique_ptr<char, GlibFreer>;

constexpr int offsetMask = 0x1FFF; // a row offset without its flag bits

// A memo stored over several pages gives its length in the low 24 bits of its first word;
// libmdb reads no more than that of it.
constexpr std::uint32_t longestMultiPageMemo = 0xFFFFFF;
// One stored byte becomes at most three bytes of UTF-8 (a UCS-2 unit: two bytes, at most three;
// a compressed or Jet 3 character: one byte, at most three), and a marker takes none.
constexpr std::size_t utf8BytesPerStoredByte = 3;
static_assert(utf8BytesPerStoredByte * longestMultiPageMemo < maxValueBytes,
              "every value read fits a frame whole");

MdbColumn* findColumn(MdbTableDef* table, const char* name) {
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        if (g_ascii_strcasecmp(column->name, name) == 0)
            return column;
    }
    return nullptr;
}

// Whether the field of the record just fetched holds no value. Only asked for values of length
// zero, which an empty text also has: the row is decoded again to read its null mask.
bool fetchedFieldIsNull(MdbTableDef* table, const MdbColumn* column) {
    MdbHandle* mdb = table->entry->mdb;
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0)
        return true;
    std::vector<MdbField> fields(table->num_cols);
    if (mdb_crack_row(table, start & offsetMask, size, fields.data()) < 0)
        return true;
    for (const MdbField& field : fields) {
        if (g_ptr_array_index(table->columns, field.colnum) == column)
            return field.is_null != 0;
    }
    return true;
}

// libmdb converts a value into a buffer of the handle's "bind size" and silently cuts what does
// not fit (16 KiB by default: a memo of 61,440 characters came out as 16,383). This is room for
// the whole value of the field just fetched: its stored bytes are the value itself, at most a
// page for a memo kept in its row or on one page, or the length a multi-page memo gives.
std::size_t roomForWholeValue(MdbHandle* mdb, const MdbColumn* column) {
    auto stored = static_cast<std::size_t>(column->cur_value_len);
    if (column->col_type == MDB_MEMO && column->cur_value_len >= MDB_MEMO_OVERHEAD) {
        const auto memoLength =
            static_cast<std::uint32_t>(mdb_get_int32(mdb->pg_buf, column->cur_value_start));
        stored = std::max(std::size_t{memoLength & longestMultiPageMemo},
                          static_cast<std::size_t>(mdb->fmt->pg_size));
    }
    return std::max(std::size_t{MDB_BIND_SIZE}, utf8BytesPerStoredByte * stored + 1);
}

void passFetchedValue(MdbTableDef* table, MdbColumn* column, RecordSink& sink) {
    MdbHandle* mdb = table->entry->mdb;
    if (column->col_type == MDB_BOOL) {
        // A yes/no field keeps its value in the null mask and is never NULL.
        sink.value(column->cur_value_len ? "False" : "True");
        return;
    }
    if (column->cur_value_len == 0) {
        if (fetchedFieldIsNull(table, column))
            sink.null();
        else
            sink.value({});
        return;
    }
    mdb_set_bind_size(mdb, roomForWholeValue(mdb, column));
    const GlibText text(mdb_col_to_string(mdb, mdb->pg_buf, column->cur_value_start,
                                          column->col_type, column->cur_value_len));
    sink.value(text ? std::string_view(text.get()) : std::string_view());
}

// libmdb 1.0.0 dereferences a table's usage map without looking at its length, and an empty
// map row (a damaged file) makes that a null pointer: such a table is refused before reading.
bool hasUsageMap(const MdbTableDef* table) {
    return table->usage_map != nullptr && table->map_sz > 0;
}

// The catalog is a table too, defined at page 2; libmdb reads it without that check.
bool catalogIsReadable(MdbHandle* mdb) {
    MdbCatalogEntry catalog{};
    catalog.mdb = mdb;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = 2;
    g_strlcpy(catalog.object_name, "MSysObjects", sizeof catalog.object_name);
    const TableDefinition table(mdb_read_table(&catalog));
    return table && hasUsageMap(table.get());
}

ExitCode readUrls(Database database, RecordSink& sink) {
    if (!database)
        return cannotOpen;
    MdbHandle* mdb = database.get();
    if (!catalogIsReadable(mdb) || !mdb_read_catalog(mdb, MDB_TABLE))
        return cannotOpen;
    MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, tableName);
    if (!entry || entry->object_type != MDB_TABLE)
        return noTable;
    const TableDefinition table(mdb_read_table(entry));
    if (!table || !hasUsageMap(table.get()) || !mdb_read_columns(table.get()))
        return noTable;
    MdbColumn* url = findColumn(table.get(), fieldName);
    if (!url)
        return noUrlField;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get()))
        passFetchedValue(table.get(), url, sink);
    return completed;
}

} // namespace

ExitCode readUrlsFromFile(const char* path, RecordSink& sink) {
    return readUrls(Database(mdb_open(path, MDB_NOFLAGS)), sink);
}

ExitCode readUrlsFromBuffer(void* bytes, std::size_t size, RecordSink& sink) {
    return readUrls(Database(mdb_open_buffer(bytes, size, MDB_NOFLAGS)), sink);
}

} // namespace mdbreader
