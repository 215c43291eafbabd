#include "ListingProperties.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Every input the fuzzer kept, plus the recorded listings it started from.
class FuzzRegressionTest : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *folder : {"/fuzz-regressions", "/listings"}) {
            const QDir dir(QStringLiteral(CORVEX_TEST_DATA) + QLatin1String(folder));
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                QTest::newRow(qPrintable(name)) << dir.absoluteFilePath(name);
        }
    }

    void propertiesHold()
    {
        QFETCH(QString, file);
        QFile input(file);
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QString problem = ListingProperties::allHold(input.readAll());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The soundness check itself must see the escapes it is for.
    void soundnessCheckSeesEscapes()
    {
        for (const char *path : {"a/../../b", "a\\..\\..\\b", "/etc/passwd", "c:x"})
            QVERIFY2(!ListingProperties::staysInside(QString::fromLatin1(path)), path);
        QVERIFY(ListingProperties::staysInside(QStringLiteral("a/../b")) && ListingProperties::staysInside(QStringLiteral("..a/b..")));
    }
};

QTEST_APPLESS_MAIN(FuzzRegressionTest)
#include "FuzzRegressionTest.moc"
