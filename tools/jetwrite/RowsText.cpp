#include "RowsText.h"

#include <stdexcept>
#include <string>

namespace jet {

namespace {

std::string unescape(std::string_view cell) {
    std::string value;
    value.reserve(cell.size());
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] != '\\' || i + 1 == cell.size()) {
            value.push_back(cell[i]);
            continue;
        }
        switch (cell[++i]) {
        case 't':
            value.push_back('\t');
            break;
        case 'n':
            value.push_back('\n');
            break;
        case 'r':
            value.push_back('\r');
            break;
        case '\\':
            value.push_back('\\');
            break;
        default:
            value.push_back('\\');
            value.push_back(cell[i]);
        }
    }
    return value;
}

Row parseLine(std::string_view line) {
    Row row;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        const std::string_view cell =
            line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (cell == "\\N")
            row.push_back(std::nullopt);
        else
            row.push_back(unescape(cell));
        if (tab == std::string_view::npos)
            return row;
        start = tab + 1;
    }
}

} // namespace

std::vector<Row> parseRows(std::string_view text, std::size_t columnCount) {
    std::vector<Row> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        rows.push_back(parseLine(line));
        if (rows.back().size() != columnCount)
            throw std::invalid_argument("line " + std::to_string(rows.size()) + " has " +
                                        std::to_string(rows.back().size()) + " cells, not " +
                                        std::to_string(columnCount));
        start = end + 1;
    }
    return rows;
}

} // namespace jet
