#include "platform/AlertText.h"

#include <QTest>

class AlertTextTest : public QObject
{
    Q_OBJECT

private slots:
    // Short texts shown as they are; long ones keep both ends around one elision, whole lines and
    // characters, with the details bounded too.
    void bound()
    {
        const QString elision = QStringLiteral("\n\u2026\n");
        QString lines, wide;
        for (int i = 1; i <= 200'000; ++i)
            lines += QStringLiteral("line %1 of the listing\n").arg(i);
        for (int i = 0; i < 3001; ++i)
            wide += QStringLiteral("\U0001F4E6");
        for (const QString &text : {QString(), QStringLiteral("ERROR: first\n\n  indented\nlast\n"), lines.left(lines.indexOf("line 41 ")),
                                    QString(4000, QLatin1Char('x'))}) {
            const AlertText::Bounded bounded = AlertText::bound(text);
            QVERIFY(bounded.message == text && bounded.details.isEmpty());
        }
        const QString listing = lines.left(lines.indexOf("line 35695 ")) + QStringLiteral("\nErrors: 1\n");
        AlertText::Bounded bounded = AlertText::bound(listing);
        QVERIFY(bounded.message.startsWith("line 1 of the listing\nline 2 ") && bounded.message.endsWith("line 35694 of the listing\n\nErrors: 1"));
        QVERIFY(bounded.message.count(elision) == 1 && bounded.message.count('\n') < 40 && bounded.message.size() <= 4000);
        QCOMPARE(bounded.details, listing);

        bounded = AlertText::bound(lines);   // about 5 MB
        const qsizetype gap = bounded.details.indexOf(elision);
        QVERIFY(bounded.details.size() <= 1024 * 1024 + 3 && bounded.details.endsWith("\nline 200000 of the listing\n"));
        QVERIFY(bounded.details.left(gap).endsWith(" of the listing") && bounded.details.mid(gap + 3).startsWith("line "));

        bounded = AlertText::bound("begin" + QString(5'000'000, QLatin1Char('m')) + "end");
        QVERIFY(bounded.message.startsWith("beginmmm") && bounded.message.endsWith("mmmend") && bounded.message.contains(elision));
        QVERIFY(bounded.message.size() <= 4000 && bounded.details.size() <= 1024 * 1024 + 3);
        // Characters outside the basic plane take two UTF-16 units.
        bounded = AlertText::bound(wide);
        QVERIFY(bounded.message.size() < wide.size() && bounded.message.isValidUtf16());
        AlertText::Limits small;
        small.maxDetailChars = 1001;
        QVERIFY(AlertText::bound(wide, small).details.isValidUtf16());
    }
};

QTEST_APPLESS_MAIN(AlertTextTest)
#include "AlertTextTest.moc"
