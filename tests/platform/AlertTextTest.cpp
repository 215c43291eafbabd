#include "AlertText.h"

#include <QTest>

namespace {

const QString elisionLine = QStringLiteral("\n\u2026\n");

QString numberedLines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("line %1 of the listing\n").arg(i);
    return text;
}

qsizetype lines(const QString &text)
{
    return text.count(QLatin1Char('\n')) + 1;
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
        QVERIFY(lines(bounded.message) <= 40);
        QVERIFY(bounded.message.size() <= 4000);
        QCOMPARE(bounded.details, text);
    }

    void oneEndlessLineIsCut()
    {
        const QString text = QStringLiteral("begin") + QString(5'000'000, QLatin1Char('m')) + QStringLiteral("end");
        const AlertText::Bounded bounded = AlertText::bound(text);
        QVERIFY(bounded.message.startsWith(QStringLiteral("beginmmm")));
        QVERIFY(bounded.message.endsWith(QStringLiteral("mmmend")));
        QVERIFY(bounded.message.contains(elisionLine));
        QVERIFY(bounded.message.size() <= 4000);
        QVERIFY(bounded.details.size() <= 1024 * 1024 + 3);
    }

    void detailsAreCappedAtLineBoundaries()
    {
        const QString text = numberedLines(200'000);   // about 5 MB
        const AlertText::Bounded bounded = AlertText::bound(text);
        QVERIFY(bounded.details.size() <= 1024 * 1024 + 3);
        QVERIFY(bounded.details.startsWith(QStringLiteral("line 1 of the listing\n")));
        QVERIFY(bounded.details.endsWith(QStringLiteral("\nline 200000 of the listing\n")));
        const qsizetype gap = bounded.details.indexOf(elisionLine);
        QVERIFY(gap > 0);
        // Whole lines on both sides of the gap.
        QVERIFY(bounded.details.left(gap).endsWith(QStringLiteral(" of the listing")));
        QVERIFY(bounded.details.mid(gap + elisionLine.size()).startsWith(QStringLiteral("line ")));
    }

    void cutsKeepCharactersWhole()
    {
        // Characters outside the basic plane take two UTF-16 units.
        QString text;
        for (int i = 0; i < 3001; ++i)
            text += QStringLiteral("\U0001F4E6");
        const AlertText::Bounded bounded = AlertText::bound(text);
        QVERIFY(bounded.message.size() < text.size());
        QVERIFY(bounded.message.isValidUtf16());
        QVERIFY(bounded.details.isValidUtf16());

        AlertText::Limits small;
        small.maxDetailChars = 1001;
        QVERIFY(AlertText::bound(text, small).details.isValidUtf16());
    }
};

QTEST_APPLESS_MAIN(AlertTextTest)
#include "AlertTextTest.moc"
