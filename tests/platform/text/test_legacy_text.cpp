#include "platform/text/LegacyText.h"

#include <QTest>

class TestLegacyText : public QObject
{
    Q_OBJECT
private slots:
    void legacyTextRoundTripsJapanese()
    {
        const QString text = QStringLiteral("検証データ２００９年ｱｲｳ");
        const auto bytes = LegacyText::encode(text);
        QVERIFY(bytes.has_value());
        QCOMPARE(LegacyText::decodeStrict(*bytes).value(), text);
        // "年" is 0x94 0x4E in CP932.
        QVERIFY(LegacyText::encode(QStringLiteral("年"))->startsWith("\x94\x4e"));
    }

    void legacyTextRefusesWhatItCannotRepresent()
    {
        QVERIFY(!LegacyText::encode(QStringLiteral("a😀b")).has_value());
        QCOMPARE(LegacyText::encodeLossy(QStringLiteral("a😀b")), QByteArray("a?b"));
        QVERIFY(!LegacyText::decodeStrict(QByteArray("\x81", 1)).has_value());
        // A character cut off at the end leaves a mark instead of vanishing.
        QCOMPARE(LegacyText::decode(QByteArray("a\x81", 2)),
                 QStringLiteral("a") + QChar(QChar::ReplacementCharacter));
    }
};

QTEST_GUILESS_MAIN(TestLegacyText)
#include "test_legacy_text.moc"
