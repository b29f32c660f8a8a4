// Laying walked tables out as the Tables page's lines, and writing those lines to a file.
#include "TableLayout.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using core::LayOutTable;
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
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll().toStdString();
}

} // namespace

struct WalkCase {
    const char* name;
    Walk walk;
    Lines expected;
};

class Walks : public testing::TestWithParam<WalkCase> {};

// A sparse table and a walk cut short: SparseTable in test_statistics, through a real walk.
TEST_P(Walks, ValuesStayInTheRowTheirIndexNames) {
    const WalkCase& c = GetParam();
    EXPECT_EQ(LayOutTable(Headings, c.walk.values, c.walk.keys), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, Walks,
    testing::Values(
        // A row that first appears in a later column still gets its own row, after the others.
        WalkCase{"RowOnlyInLaterColumn",
                 ColumnByColumn({{{"1", "x1"}}, {{"1", "y1"}, {"5", "y5"}}, {{"1", "z1"}}}),
                 {"a\tx1", "b\ty1", "c\tz1", Dashes, "a\t", "b\ty5", "c\t", Dashes}},
        // Columns the page has no heading for (and keys without a column) are dropped.
        WalkCase{"ForeignColumns",
                 Walk{{"x1", "q", "y1", "z1", "w"}, {"1.7", "9.7", "2.7", "3.7", "junk"}},
                 {"a\tx1", "b\ty1", "c\tz1", Dashes}},
        // Agent order, not sorted order: rows appear as the agent first returned them.
        WalkCase{"AgentOrder",
                 ColumnByColumn({{{"9", "x9"}, {"3", "x3"}},
                                 {{"9", "y9"}, {"3", "y3"}},
                                 {{"9", "z9"}, {"3", "z3"}}}),
                 {"a\tx9", "b\ty9", "c\tz9", Dashes, "a\tx3", "b\ty3", "c\tz3", Dashes}},
        WalkCase{"Empty", Walk{}, {}}),
    [](const testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

TEST(TableLayout, WithoutKeysWholeRowsAreTakenByPosition) {
    // Seven values for three columns: two rows, the seventh is not shown.
    EXPECT_EQ(LayOutTable(Headings, {"x1", "x2", "y1", "y2", "z1", "z2", "extra"}, {}),
              (Lines{"a\tx1", "b\ty1", "c\tz1", Dashes, "a\tx2", "b\ty2", "c\tz2", Dashes}));
}

TEST(TableLayout, AnEmptyValueSentIsPresentAValueNeverSentIsNot) {
    const Walk walk = ColumnByColumn({{{"1", "x1"}, {"2", ""}}, {{"2", "y2"}}});
    std::vector<std::vector<bool>> present;
    const auto rows = core::TableRows(2, walk.values, walk.keys, &present);
    EXPECT_EQ(rows, (std::vector<Lines>{{"x1", ""}, {"", "y2"}}));
    EXPECT_EQ(present, (std::vector<std::vector<bool>>{{true, false}, {true, true}}));
    EXPECT_TRUE(core::TableRows(0, walk.values, walk.keys).empty());
}

TEST(TableFile, LinesAreWrittenAsBytesWithCrLfAndNothingElse) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ipAddressTable.txt"));
    // 8-bit octets (Latin-1 e acute, a NUL inside a value) must reach the file unchanged.
    EXPECT_TRUE(WriteTableFile(path, {"caf\xE9", "a\0b"s, "", Dashes}).isEmpty());
    EXPECT_EQ(ReadAll(path), "caf\xE9\r\na\0b\r\n\r\n"s + Dashes + "\r\n");
    // An empty view writes an empty file, replacing the old one.
    EXPECT_TRUE(WriteTableFile(path, {}).isEmpty());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(ReadAll(path), "");
}

TEST(TableFile, FailureNamesTheFileAndKeepsWhatWasThere) {
    QTemporaryDir dir;
    const QString plainFile = dir.filePath(QStringLiteral("plain.txt"));
    ASSERT_TRUE(WriteTableFile(plainFile, {"x"}).isEmpty());
    const QString targets[] = {
        dir.filePath(QStringLiteral("no/such/dir/t.txt")), // missing directory
        plainFile + QStringLiteral("/t.txt"),              // a file where a directory belongs
        dir.path(),                                        // a directory where the file belongs
    };
    for (const QString& target : targets) {
        const QString message = WriteTableFile(target, {"x"});
        EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot create file \"") +
                                       QDir::toNativeSeparators(target)))
            << message.toStdString();
    }
    EXPECT_FALSE(QFile::exists(targets[0]));
    EXPECT_EQ(ReadAll(plainFile), "x\r\n");
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST(TableFile, FileThatCannotBeReplacedKeepsItsContent) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into any directory";
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString path = locked + QStringLiteral("/t.txt");
    ASSERT_TRUE(WriteTableFile(path, {"kept"}).isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString message = WriteTableFile(path, {"new"});
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(ReadAll(path), "kept\r\n");
}
