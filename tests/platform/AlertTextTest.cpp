#include "platform/AlertText.h"

#include <QTest>

namespace {

const QString elisionLine = QStringLiteral("\n\u2026\n");
constexpr qsizetype detailCap = 1024 * 1024 + 3;

QString numberedLines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("line %1 of the listing\n").arg(i);
    return text;
}

} // namespace

class AlertTextTest : public QObject
{
    Q_OBJECT

private slots:
    void shortTextsAreShownAsTheyAre_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("line breaks kept") << QStringLiteral("ERROR: first\n\n  indented\nlast\n");
        QTest::newRow("40 lines") << numberedLines(40);
        QTest::newRow("4000 characters") << QString(4000, QLatin1Char('x'));
    }

    void shortTextsAreShownAsTheyAre()
    {
        QFETCH(QString, text);
        const AlertText::Bounded bounded = AlertText::bound(text);
        QCOMPARE(bounded.message, text);
        QVERIFY(bounded.details.isEmpty());
    }

    void manyLinesKeepTheBeginningAndTheEnd()
    {
        // As many lines as the listing of a truncated 2,000-member ZIP.
        const QString text = numberedLines(35694) + QStringLiteral("\nErrors: 1\n");
        const AlertText::Bounded bounded = AlertText::bound(text);
        QVERIFY(bounded.message.startsWith(QStringLiteral("line 1 of the listing\nline 2 ")));
        QVERIFY(bounded.message.endsWith(QStringLiteral("line 35694 of the listing\n\nErrors: 1")));
        QCOMPARE(bounded.message.count(elisionLine), 1);
        QVERIFY(bounded.message.count(QLatin1Char('\n')) < 40);
        QVERIFY(bounded.message.size() <= 4000);
        QCOMPARE(bounded.details, text);
    }

    void hugeTextsAreCutAtWholeLinesAndCharacters()
    {
        const QString endless = QStringLiteral("begin") + QString(5'000'000, QLatin1Char('m')) + QStringLiteral("end");
        AlertText::Bounded bounded = AlertText::bound(endless);
        QVERIFY(bounded.message.startsWith(QStringLiteral("beginmmm")) && bounded.message.endsWith(QStringLiteral("mmmend")));
        QVERIFY(bounded.message.contains(elisionLine) && bounded.message.size() <= 4000);
        QVERIFY(bounded.details.size() <= detailCap);

        bounded = AlertText::bound(numberedLines(200'000));   // about 5 MB
        QVERIFY(bounded.details.size() <= detailCap);
        QVERIFY(bounded.details.endsWith(QStringLiteral("\nline 200000 of the listing\n")));
        const qsizetype gap = bounded.details.indexOf(elisionLine);
        QVERIFY(bounded.details.left(gap).endsWith(QStringLiteral(" of the listing")));
        QVERIFY(bounded.details.mid(gap + elisionLine.size()).startsWith(QStringLiteral("line ")));

        // Characters outside the basic plane take two UTF-16 units.
        QString wide;
        for (int i = 0; i < 3001; ++i)
            wide += QStringLiteral("\U0001F4E6");
        bounded = AlertText::bound(wide);
        QVERIFY(bounded.message.size() < wide.size() && bounded.message.isValidUtf16());
        AlertText::Limits small;
        small.maxDetailChars = 1001;
        QVERIFY(AlertText::bound(wide, small).details.isValidUtf16());
    }
};

QTEST_APPLESS_MAIN(AlertTextTest)
#include "AlertTextTest.moc"
