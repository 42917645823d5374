#pragma once

#include "JetDatabase.h"

#include <string_view>
#include <vector>

namespace jet {

// Rows from the text the jetwrite command reads: one row per line, cells separated by a tab.
// A cell that is exactly \N is NULL; elsewhere \t, \n, \r and \\ stand for a tab, a line end,
// a carriage return and a backslash. A carriage return before a line end is dropped, and a
// last line without a line end still counts; an empty line is a row of empty texts.
// Throws std::invalid_argument naming the line when a row has the wrong number of cells.
std::vector<Row> parseRows(std::string_view text, std::size_t columnCount);

} // namespace jet
