// The history writer killed at random moments: after each kill the database is whole, every
// sample it holds is whole, and events come only with their sample.
#include "HistoryWriterLoop.h"
#include "Process.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace {

using core::history::ColumnCount;

TEST(HistoryCrashTest, KilledWhileWritingLeavesNothingHalfWritten) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("history.sqlite"));
    std::mt19937 random(std::random_device{}());
    int64_t next = 1699999200;
    int64_t stored = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ChildProcess writer;
        ASSERT_TRUE(
            writer.Start({HISTORY_WRITER_LOOP, file.toStdString(), std::to_string(next), "60"}));
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + random() % 500));
        writer.Stop(0, false); // SIGKILL, nothing else
        ASSERT_TRUE(writer.err.empty()) << writer.err;

        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
            EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
            QStringList names;
            for (const core::history::Column& c : core::history::Columns())
                names << QString::fromLatin1(c.name.data(), qsizetype(c.name.size()));
            ASSERT_TRUE(q.exec("SELECT time," + names.join(',') + " FROM sample"));
            int64_t rows = 0, events = 0;
            for (; q.next(); ++rows) {
                const int64_t time = q.value(0).toLongLong();
                next = std::max(next, time + 60);
                events += loop::HasEvent(time);
                for (int c = 0; c < ColumnCount; ++c) {
                    const auto want = loop::Value(time, c);
                    ASSERT_EQ(q.value(c + 1).isNull(), !want) << time << " column " << c;
                    if (want) {
                        ASSERT_EQ(q.value(c + 1).toLongLong(), *want) << time;
                    }
                }
            }
            EXPECT_GE(rows, stored);
            stored = rows;
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM event e JOIN sample s ON "
                                              "s.time=e.time AND e.detail=s.time")) &&
                        q.next());
            EXPECT_EQ(q.value(0).toLongLong(), events);
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM event")) && q.next());
            EXPECT_EQ(q.value(0).toLongLong(), events);
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }
    EXPECT_GT(stored, 20);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
