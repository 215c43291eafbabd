// The German translation as a user with LANGUAGE=de gets it (CTest sets it),
// and which translation a list of interface languages picks.
#include "../ui/UiTestSupport.h"
#include "app/Translations.h"
#include "engine/FailureReport.h"
#include "platform/ConflictBox.h"

using namespace ui_test;

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(Translations::install(kResources + QStringLiteral("/translations")), QStringLiteral("de"));
    }

    void choose_data()
    {
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("script and region") << QStringList{"de-Latn-AT", "de-AT", "de"} << "de";
        QTest::newRow("English first stays English") << QStringList{"en-US", "de"} << "";
        QTest::newRow("past one without") << QStringList{"fr", "de-CH"} << "de";
        QTest::newRow("region of its own") << QStringList{"pt-BR"} << "pt_BR";
        QTest::newRow("other region") << QStringList{"pt-PT", "pt"} << "";
    }

    void choose()
    {
        QFETCH(QStringList, uiLanguages);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("corvex_de.qm"), "") && writeFile(folder.filePath("corvex_pt_BR.qm"), ""));
        QTEST(Translations::choose(uiLanguages, folder.path()), "chosen");
    }

    void germanTexts()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("src/notes.txt"), "n"));
        QVERIFY(makeZip(dir.filePath("a.zip"), dir.filePath("src"), {"notes.txt"}));
        ArchiveEngine engine(kResources);
        FakeDesktop desktop;
        CorvexController controller(engine, desktop, kResources);
        QCOMPARE(part<QAbstractButton>(controller, "extractButton")->text(), "Entpacken");
        load(controller, dir.filePath("a.zip"), "1 Element");

        // Cancel is Qt's own button, from Qt's translation.
        ConflictBox box(Question{});
        QStringList buttons;
        for (QAbstractButton *button : box.buttons())
            buttons.append(button->text());
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Abbrechen", "Beide behalten", "Ersetzen", "Überspringen"}));

        // The verb takes its German place in the sentence.
        OperationRequest request;
        request.kind = OperationKind::Extract;
        request.archive = "/tmp/a.zip";
        Outcome failed;
        failed.kind = Outcome::Kind::Failed;
        failed.status = 2;
        QCOMPARE(FailureReport::from(request, failed).message, "Corvex konnte „a.zip“ nicht entpacken.");
    }
};

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
