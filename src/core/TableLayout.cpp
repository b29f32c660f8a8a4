#include "TableLayout.h"

#include <QDir>
#include <QSaveFile>
#include <charconv>
#include <unordered_map>

namespace core {

namespace {

// Column number of a "column.index" key; 0 when the key does not start with one.
int KeyColumn(std::string_view key, std::string_view& index) {
    const auto dot = key.find('.');
    const std::string_view column = key.substr(0, dot);
    index = dot == std::string_view::npos ? std::string_view{} : key.substr(dot + 1);
    int number = 0;
    const auto [end, ec] = std::from_chars(column.data(), column.data() + column.size(), number);
    if (ec != std::errc{} || end != column.data() + column.size()) return 0;
    return number;
}

} // namespace

std::vector<std::vector<std::string>> TableRows(int columns, const std::vector<std::string>& values,
                                                const std::vector<std::string>& keys,
                                                std::vector<std::vector<bool>>* present) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<bool>> have;
    if (columns <= 0) {
        if (present) present->clear();
        return rows;
    }
    const auto width = static_cast<std::size_t>(columns);

    if (keys.size() != values.size()) {
        const std::size_t count = values.size() / width;
        rows.assign(count, std::vector<std::string>(width));
        have.assign(count, std::vector<bool>(width, true));
        for (std::size_t r = 0; r < count; ++r)
            for (std::size_t c = 0; c < width; ++c)
                rows[r][c] = values[c * count + r];
    } else {
        std::unordered_map<std::string_view, std::size_t> rowOf;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            std::string_view index;
            const int column = KeyColumn(keys[i], index);
            if (column < 1 || column > columns) continue;
            auto [it, added] = rowOf.try_emplace(index, rows.size());
            if (added) {
                rows.emplace_back(width);
                have.emplace_back(width, false);
            }
            rows[it->second][static_cast<std::size_t>(column - 1)] = values[i];
            have[it->second][static_cast<std::size_t>(column - 1)] = true;
        }
    }
    if (present) *present = std::move(have);
    return rows;
}

std::vector<std::string> LayOutTable(std::span<const std::string_view> headings,
                                     const std::vector<std::string>& values,
                                     const std::vector<std::string>& keys,
                                     const CellTranslator& translate) {
    std::vector<std::vector<bool>> present;
    const auto rows = TableRows(static_cast<int>(headings.size()), values, keys, &present);
    std::vector<std::string> lines;
    lines.reserve(rows.size() * (headings.size() + 1));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < headings.size(); ++c) {
            std::string line(headings[c]);
            if (present[r][c])
                line += translate ? translate(static_cast<int>(c), rows[r][c]) : rows[r][c];
            lines.push_back(std::move(line));
        }
        lines.emplace_back(TableRowSeparator);
    }
    return lines;
}

QString WriteTableFile(const QString& fileName, const std::vector<std::string>& lines) {
    QSaveFile file(fileName);
    const auto failure = [&] {
        return QStringLiteral("Cannot create file \"%1\". %2")
            .arg(QDir::toNativeSeparators(fileName), file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) return failure();
    for (const std::string& line : lines) {
        const auto size = static_cast<qint64>(line.size());
        if (file.write(line.data(), size) != size || file.write("\r\n", 2) != 2) {
            const QString message = failure();
            file.cancelWriting();
            return message;
        }
    }
    if (!file.commit()) return failure();
    return {};
}

} // namespace core
