// jetwrite: writes a Jet 4 database with one table from a text file of rows.
//
//   corvantis-jetwrite [--table NAME] [--column NAME:text|memo]... INPUT OUTPUT
//
// Without options the table is "tblWebsites" with one Text column "url", as the program's
// default list expects. The rows are read as RowsText.h describes.

#include "JetDatabase.h"
#include "RowsText.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr int usageError = 2;
constexpr int writeError = 1;

// The name a person types: the installed link on PATH, not the file it points to.
constexpr std::string_view commandName = "corvantis-jetwrite";

// Asked for with --help, on stdout; after a wrong command line, on stderr.
void printUsage(std::ostream& out) {
    out << "usage: " << commandName << " [--table NAME] [--column NAME:text|memo]... INPUT OUTPUT\n"
        << "Writes a Jet 4 database with one table, its rows read from INPUT, to OUTPUT.\n"
        << "See man " << commandName << ".\n";
}

jet::Column parseColumn(std::string_view definition) {
    const std::size_t colon = definition.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        throw std::invalid_argument("a column is NAME:text or NAME:memo");
    const std::string_view type = definition.substr(colon + 1);
    if (type != "text" && type != "memo")
        throw std::invalid_argument("a column type is text or memo");
    return {std::string(definition.substr(0, colon)),
            type == "memo" ? jet::ColumnType::Memo : jet::ColumnType::Text};
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace

int main(int argc, char** argv) {
    jet::Table table{"tblWebsites", {}, {}};
    std::string paths[2];
    int pathCount = 0;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view argument = argv[i];
            if (argument == "--help" || argument == "-h") {
                printUsage(std::cout);
                return 0;
            }
            if ((argument == "--table" || argument == "--column") && i + 1 < argc) {
                if (argument == "--table")
                    table.name = argv[++i];
                else
                    table.columns.push_back(parseColumn(argv[++i]));
            } else if (pathCount < 2 && !argument.starts_with("--")) {
                paths[pathCount++] = argument;
            } else {
                printUsage(std::cerr);
                return usageError;
            }
        }
    } catch (const std::exception& error) {
        std::cerr << commandName << ": " << error.what() << '\n';
        return usageError;
    }
    if (pathCount != 2) {
        printUsage(std::cerr);
        return usageError;
    }
    if (table.columns.empty())
        table.columns.push_back({"url", jet::ColumnType::Text});
    try {
        table.rows = jet::parseRows(readFile(paths[0]), table.columns.size());
        jet::writeDatabaseFile(table, paths[1]);
    } catch (const std::exception& error) {
        // The output file, if there was one, is left as it was.
        std::cerr << commandName << ": " << paths[0] << ": " << error.what() << '\n';
        return writeError;
    }
    return 0;
}
