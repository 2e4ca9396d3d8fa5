// The remote list's rows: order, the values behind the sub-item texts, and
// listings that put their folders after their files.
#include "sendora/window/GapVector.h"
#include "sendora/window/RemoteListView.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <vector>

class TestRemoteList : public QObject
{
    Q_OBJECT
private slots:
    void insertsKeepTheirOrder_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::newRow("appends") << "append";
        QTest::newRow("folders at a point, files at the end") << "listing";
        QTest::newRow("anywhere") << "random";
    }

    void insertsKeepTheirOrder()
    {
        QFETCH(QString, pattern);
        QRandomGenerator random(7);
        GapVector<int> rows;
        std::vector<int> expected;
        qsizetype folderPoint = 0;
        for (int value = 0; value < 5000; ++value) {
            qsizetype at = qsizetype(expected.size());
            if (pattern == QLatin1String("random"))
                at = random.bounded(int(expected.size()) + 1);
            else if (pattern == QLatin1String("listing") && value % 3 == 0)
                at = folderPoint++;
            rows.insert(at) = value;
            expected.insert(expected.begin() + at, value);
        }
        QCOMPARE(rows.size(), qsizetype(expected.size()));
        for (qsizetype i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i], expected[size_t(i)]);
    }

    void rowsShowTheirValuesAndGivenTexts()
    {
        RemoteListView list;
        list.addColumn("NAME", "ファイル名", 100, Qt::AlignLeft);
        list.addColumn("SIZE", "サイズ", 50, Qt::AlignRight);
        list.addColumn("ACCESS", "更新日", 50, Qt::AlignLeft);
        list.addColumn("ATTR", "属性", 50, Qt::AlignLeft);
        const QDateTime written(QDate(2008, 5, 17), QTime(13, 45, 30), Qt::UTC);
        RemoteListRow* file = list.insertEntryRow(1, {"a.txt", "FILE", "FILE", QIcon(), 0, written, 0x21});
        RemoteListRow* folder =
            list.insertEntryRow(1, {"sub", "DIR", "CLOSE", QIcon(), std::nullopt, written, 0x10});
        QCOMPARE(list.indexOf(folder), 0);
        QCOMPARE(list.subItem(file, "SIZE"), QStringLiteral("0"));
        QCOMPARE(list.subItem(folder, "SIZE"), QString());
        QCOMPARE(list.subItem(file, "ACCESS"), QStringLiteral("2008/05/17 13:45:30"));
        QCOMPARE(list.subItem(file, "ATTR"), QStringLiteral("a--r"));
        QCOMPARE(RemoteListView::tag(folder), QStringLiteral("DIR"));
        QCOMPARE(list.headerItem()->text(1), QStringLiteral("サイズ"));
        list.setSubItem(file, "SIZE", QString());
        QCOMPARE(list.subItem(file, "SIZE"), QString());
        QCOMPARE(list.model()->data(list.model()->index(1, 1), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
    }

    // Every folder goes in before all the files: an array would move each file
    // for each folder (minutes here), the list must not.
    void foldersAfterManyFilesStayCheap()
    {
        constexpr int kEach = 100'000;
        RemoteListView list;
        list.addColumn("NAME", "ファイル名", 100, Qt::AlignLeft);
        list.reserveRows(2 * kEach);
        QElapsedTimer timer;
        timer.start();
        RemoteListEntry file{"f", "FILE", "FILE", QIcon(), 1, QDateTime(), 0};
        for (int i = 0; i < kEach; ++i)
            list.insertEntryRow(list.rowCount() + 1, file);
        RemoteListEntry folder{"d", "DIR", "CLOSE", QIcon(), std::nullopt, QDateTime(), 0x10};
        for (int i = 0; i < kEach; ++i)
            list.insertEntryRow(i + 1, folder);
        QVERIFY2(timer.elapsed() < 20'000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(RemoteListView::tag(list.row(kEach - 1)), QStringLiteral("DIR"));
        QCOMPARE(RemoteListView::tag(list.row(kEach)), QStringLiteral("FILE"));
    }
};

QTEST_MAIN(TestRemoteList)
#include "test_remote_list.moc"
