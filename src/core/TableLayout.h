// Turns the values of a walked MIB table into the text lines of the Tables page and writes those
// lines to a file.
#pragma once

#include <QString>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

inline constexpr std::string_view TableRowSeparator =
    "------------------------------------------------------------";

// Rewrites one present value of column `column` (0-based) for display; not called for cells that
// the agent did not deliver.
using CellTranslator = std::function<std::string(int column, const std::string& value)>;

// One table walked from the table's own OID: `values[i]` belongs to `keys[i]`, a "column.index"
// key (column 1 is the first heading). Each value goes into the row its index names, so a sparse
// table or a walk cut short keeps every value in its own row; rows keep the order in which the
// agent first returned them, and a row that lacks a column shows that heading with an empty
// value. Keys of columns beyond the headings are ignored. Without keys (sizes differ) the values
// are taken column by column, `values.size() / headings.size()` rows of them.
//
// Per row: one line heading[c] + value for every column, then TableRowSeparator.
std::vector<std::string> LayOutTable(std::span<const std::string_view> headings,
                                     const std::vector<std::string>& values,
                                     const std::vector<std::string>& keys,
                                     const CellTranslator& translate = {});

// The cells of a walked table by row: rows in first-appearance order, `columns` cells each,
// absent cells empty and flagged false in `present` (same shape) when it is given.
std::vector<std::vector<std::string>> TableRows(int columns, const std::vector<std::string>& values,
                                                const std::vector<std::string>& keys,
                                                std::vector<std::vector<bool>>* present = nullptr);

// Writes every line as 8-bit text followed by CR LF, nothing else, replacing the file only once
// all of it is written. Returns an empty text on success, otherwise the message for the user.
QString WriteTableFile(const QString& fileName, const std::vector<std::string>& lines);

} // namespace core
