#include "tests/updater/app/FolderSnapshot.h"
#include "updater/app/DownloadProgress.h"
#include "updater/app/NoticeText.h"
#include "updater/app/StagedInstall.h"
#include "updater/app/VersionNumber.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestUpdaterLogic : public QObject
{
    Q_OBJECT
private slots:
    void versionValueReadsTheLeadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("value");
        QTest::newRow("three digits") << "105" << true << 105.0;
        QTest::newRow("leading zeros") << "000" << true << 0.0;
        QTest::newRow("blank inside") << "1 05" << true << 105.0;
        QTest::newRow("leading blanks") << "  104" << true << 104.0;
        QTest::newRow("stops at tag") << "12<" << true << 12.0;
        QTest::newRow("decimal point") << "1.5x" << true << 1.5;
        QTest::newRow("sign") << "-3" << true << -3.0;
        QTest::newRow("exponent") << "1E2" << true << 100.0;
        QTest::newRow("exponent without digits") << "1E<" << true << 1.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("lone point") << ".<" << false << 0.0;
        QTest::newRow("full-width digits are not digits") << "１０５" << false << 0.0;
    }

    void versionValueReadsTheLeadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        QFETCH(double, value);
        QCOMPARE(VersionNumber::read(text).has_value(), found);
        QCOMPARE(VersionNumber::value(text), value);
    }

    void versionPageGivesTheTitlesThreeCharacters_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("latest"); // "-" for none
        QTest::newRow("three digits") << "<HTML><HEAD><TITLE>105</TITLE></HEAD></HTML>"
                                      << "105";
        QTest::newRow("two digits") << "<TITLE>12</TITLE>"
                                    << "12<";
        QTest::newRow("at the very end") << "<TITLE>1"
                                         << "1";
        QTest::newRow("lower case is not found") << "<html><title>105</title></html>"
                                                 << "-";
        QTest::newRow("first TITLE counts") << "<TITLE>106</TITLE><TITLE>107</TITLE>"
                                            << "106";
        QTest::newRow("empty page") << ""
                                    << "-";
    }

    void versionPageGivesTheTitlesThreeCharacters()
    {
        QFETCH(QString, page);
        QFETCH(QString, latest);
        const std::optional<QString> got = VersionNumber::fromVersionPage(page);
        QCOMPARE(got.value_or(QStringLiteral("-")), latest);
    }

    void noticeKeepsTheTextBetweenTags_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("notice");
        // Tags without text between them keep the page long enough for every pass.
        const QString tail = QStringLiteral("<br>").repeated(8);
        QTest::newRow("shorter than 30") << "<p>short</p><p>x</p>"
                                         << "";
        QTest::newRow("blank-only text adds nothing") << "<p>一</p>    <p>二</p>" + tail << "一二";
        QTest::newRow("line breaks stay") << "<p>一</p>\n<p>二</p>\n" + tail << "一\n二\n";
        QTest::newRow("neighbours joined") << "<b>Ver1.05</b><i>修正</i>" + tail << "Ver1.05修正";
        QTest::newRow("blanks trimmed, entities kept")
            << "<p>  A &amp; B  </p><p> C </p>" + tail << "A &amp; BC";
        QTest::newRow("text before the first tag is not shown")
            << "preamble <p>本文です</p>" + tail << "本文です";
        QTest::newRow("final short rest not shown") << "<p>項目</p>" + tail + "<p>残り</p>"
                                                    << "項目";
        QTest::newRow("rest without < ends the notice")
            << "<p>項目</p><p>" + QStringLiteral("閉じられない長い文章").repeated(4) << "項目";
        QTest::newRow("rest without > stops at once")
            << "<p>項目</p>" + QStringLiteral("途中で切れたタグのある長めの文章です。").repeated(2) + " <b"
            << "項目" + QStringLiteral("途中で切れたタグのある長めの文章です。").repeated(2);
    }

    void noticeKeepsTheTextBetweenTags()
    {
        QFETCH(QString, page);
        QFETCH(QString, notice);
        QCOMPARE(NoticeText::fromPage(page), notice);
    }

    void noticeOfAPageWithoutAnyTagEnds()
    {
        const QString page = QString(5000, QLatin1Char('<'));
        QCOMPARE(NoticeText::fromPage(page), QString());
        QCOMPARE(NoticeText::fromPage(QStringLiteral("text ") + page), QString());
    }

    void progressSteps_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<double>("step");
        QTest::addColumn<float>("final");
        QTest::newRow("2048 in two pieces") << qint64(2048) << 2 << 50.0 << 100.0f;
        QTest::newRow("3000 in three pieces") << qint64(3000) << 3 << 34.1333 << 100.0f;
        QTest::newRow("short body") << qint64(112640) << 100 << 0.9091 << 90.91f;
        QTest::newRow("rounding leaves it short of 100")
            << qint64(3 * 1024 * 1000 + 1) << 3001 << 0.0333 << 99.9333f;
        QTest::newRow("large archive ends below 99") << qint64(31600000) << 30860 << 0.0032 << 98.7234f;
        QTest::newRow("one small piece") << qint64(1000) << 1 << 102.4 << 100.0f;
    }

    void progressSteps()
    {
        QFETCH(qint64, length);
        QFETCH(int, pieces);
        QFETCH(double, step);
        QFETCH(float, final);
        QCOMPARE(DownloadProgress::stepFor(length), step);
        DownloadProgress progress;
        progress.start(length);
        for (int i = 0; i < pieces; ++i)
            progress.advance();
        QVERIFY2(qAbs(progress.value() - final) < 0.01f, qPrintable(QString::number(progress.value())));
    }

    // The staged files are moved in order; one that cannot be moved takes back the ones before it.
    void stagedInstallMovesAllOrNothing_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("all moved") << false;
        QTest::newRow("a folder where a file goes") << true;
    }

    void stagedInstallMovesAllOrNothing()
    {
        QFETCH(bool, folderInTheWay);
        QTemporaryDir product;
        writeFile(product.filePath("a.exe"), "old program");
        writeFile(product.filePath("keep.txt"), "untouched");
        QVERIFY(QDir(product.path()).mkdir(".verup-staging-left"));
        StagedInstall::removeLeftovers(product.path());
        if (folderInTheWay)
            QVERIFY(QDir(product.path()).mkdir("c.dat"));
        const QMap<QString, QByteArray> before = FolderSnapshot::of(product.path());
        {
            StagedInstall staged(product.path());
            QVERIFY(staged.isValid());
            writeFile(QDir(staged.folder()).filePath("a.exe"), "new program");
            writeFile(QDir(staged.folder()).filePath("b.dat"), "new file");
            writeFile(QDir(staged.folder()).filePath("c.dat"), "another new file");
            QVERIFY(staged.hasFile("a.exe"));
            QCOMPARE(staged.commit(), !folderInTheWay);
        }
        if (folderInTheWay) {
            QCOMPARE(FolderSnapshot::of(product.path()), before);
            return;
        }
        const QMap<QString, QByteArray> after{{"a.exe", "new program"},
                                              {"b.dat", "new file"},
                                              {"c.dat", "another new file"},
                                              {"keep.txt", "untouched"}};
        QCOMPARE(FolderSnapshot::of(product.path()), after);
    }
};

QTEST_GUILESS_MAIN(TestUpdaterLogic)
#include "test_logic.moc"
