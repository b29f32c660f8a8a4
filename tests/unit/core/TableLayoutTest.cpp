// Laying walked tables out as the Tables page's lines, and writing those lines to a file.
#include "core/TableLayout.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using core::WriteTableFile;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

namespace {

const std::string Dashes(60, '-');
constexpr std::string_view Headings[] = {"a\t", "b\t", "c\t"};

struct Walk {
    Lines values;
    Lines keys;
};

// The values and keys a table walk returns: column by column, each column in row order.
Walk ColumnByColumn(const std::vector<std::vector<std::pair<std::string, std::string>>>& columns) {
    Walk walk;
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (const auto& [index, value] : columns[c]) {
            walk.keys.push_back(std::to_string(c + 1) + "." + index);
            walk.values.push_back(value);
        }
    return walk;
}

std::string ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
}

} // namespace

// Sparse tables and walks cut short through real walks: SparseTable in StatisticsTest.
TEST(TableLayout, ValuesStayInTheRowTheirIndexNames) {
    const struct {
        Walk walk;
        Lines expected;
    } cases[] = {
        // A row that first appears in a later column still gets its own row, after the others.
        {ColumnByColumn({{{"1", "x1"}}, {{"1", "y1"}, {"5", "y5"}}, {{"1", "z1"}}}),
         {"a\tx1", "b\ty1", "c\tz1", Dashes, "a\t", "b\ty5", "c\t", Dashes}},
        // Columns the page has no heading for, and keys without a column, are dropped.
        {Walk{{"x1", "q", "y1", "z1", "w"}, {"1.7", "9.7", "2.7", "3.7", "junk"}},
         {"a\tx1", "b\ty1", "c\tz1", Dashes}},
        // Agent order, not sorted order.
        {ColumnByColumn({{{"9", "x9"}, {"3", "x3"}}, {{"9", "y9"}, {"3", "y3"}}}),
         {"a\tx9", "b\ty9", "c\t", Dashes, "a\tx3", "b\ty3", "c\t", Dashes}},
        // Without keys whole rows are taken by position; the seventh value is not shown.
        {Walk{{"x1", "x2", "y1", "y2", "z1", "z2", "extra"}, {}},
         {"a\tx1", "b\ty1", "c\tz1", Dashes, "a\tx2", "b\ty2", "c\tz2", Dashes}},
        {Walk{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::LayOutTable(Headings, c.walk.values, c.walk.keys), c.expected);

    // An empty value sent is present, a value never sent is not.
    const Walk walk = ColumnByColumn({{{"1", "x1"}, {"2", ""}}, {{"2", "y2"}}});
    std::vector<std::vector<bool>> present;
    EXPECT_EQ(core::TableRows(2, walk.values, walk.keys, &present),
              (std::vector<Lines>{{"x1", ""}, {"", "y2"}}));
    EXPECT_EQ(present, (std::vector<std::vector<bool>>{{true, false}, {true, true}}));
}

TEST(TableFile, LinesAreWrittenAsBytesWithCrLfAndFailuresKeepWhatWasThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    // 8-bit octets (Latin-1 e acute, a NUL inside a value) must reach the file unchanged.
    EXPECT_TRUE(WriteTableFile(path, {"caf\xE9", "a\0b"s, "", Dashes}).isEmpty());
    EXPECT_EQ(ReadAll(path), "caf\xE9\r\na\0b\r\n\r\n"s + Dashes + "\r\n");
    EXPECT_TRUE(WriteTableFile(path, {}).isEmpty()); // an empty view replaces the old file
    EXPECT_EQ(ReadAll(path), "");

    ASSERT_TRUE(WriteTableFile(path, {"kept"}).isEmpty());
    const QString targets[] = {dir.filePath(QStringLiteral("no/such/dir/t.txt")),
                               path + QStringLiteral("/t.txt"), dir.path()};
    for (const QString& target : targets)
        EXPECT_TRUE(WriteTableFile(target, {"x"})
                        .startsWith(QStringLiteral("Cannot create file \"") +
                                    QDir::toNativeSeparators(target)));
    // A file whose directory may not be written keeps its content.
    if (::geteuid() != 0) {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(WriteTableFile(path, {"new"}).isEmpty());
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }
    EXPECT_EQ(ReadAll(path), "kept\r\n");
}
