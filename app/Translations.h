#pragma once

#include <QString>
#include <QStringList>

// The language Corvex speaks: the first of the user's interface languages
// (LANGUAGE, else the locale) that it has a translation for. English, the
// language its texts are written in, ends the search, so "en:de" stays English.
class Translations
{
public:
    // The language as the translation's file name has it ("de", "pt_BR"),
    // or empty for English.
    static QString choose(const QStringList &uiLanguages, const QString &folder);

    // Installs Corvex's translation from `folder`, and Qt's own for the same
    // language so that standard buttons and file dialogs match. Returns the
    // language, empty when none was installed.
    static QString install(const QString &folder);
};
