// The German translation as a user with LANGUAGE=de gets it (CTest sets it),
// and which translation a list of interface languages picks.
#include "../TestSupport.h"
#include "app/Translations.h"
#include "platform/ConflictBox.h"

#include <QAbstractButton>

using namespace test_support;

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(Translations::install(kResources + QStringLiteral("/translations")), QStringLiteral("de"));
    }

    void choose()
    {
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("corvex_de.qm"), "") && writeFile(folder.filePath("corvex_pt_BR.qm"), ""));
        const struct { QStringList uiLanguages; QString chosen; } cases[] = {
            {{"de-Latn-AT", "de-AT", "de"}, "de"}, {{"en-US", "de"}, ""}, {{"fr", "de-CH"}, "de"},
            {{"pt-BR"}, "pt_BR"}, {{"pt-PT", "pt"}, ""}};
        for (const auto &c : cases)
            QCOMPARE(Translations::choose(c.uiLanguages, folder.path()), c.chosen);
    }

    void germanTexts()
    {
        // Cancel is Qt's own button, from Qt's translation; the others are ours.
        ConflictBox box(Question{});
        QStringList buttons;
        for (QAbstractButton *button : box.buttons()) buttons.append(button->text());
        QVERIFY2(buttons.contains("Abbrechen") && buttons.contains("Ersetzen"), qPrintable(buttons.join('|')));
    }
};

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
