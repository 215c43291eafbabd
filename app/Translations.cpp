#include "app/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

QString fileFor(const QString &folder, const QString &language)
{
    return folder + QStringLiteral("/corvex_") + language + QStringLiteral(".qm");
}

} // namespace

QString Translations::choose(const QStringList &uiLanguages, const QString &folder)
{
    for (const QString &name : uiLanguages) {
        const QLocale locale(name);
        if (locale.language() == QLocale::English)
            return {};
        if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
            continue;
        // "de-Latn-DE", then "de_Latn", then "de".
        QString language = name;
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        for (;;) {
            if (QFileInfo(fileFor(folder, language)).isFile())
                return language;
            const qsizetype cut = language.lastIndexOf(QLatin1Char('_'));
            if (cut <= 0)
                break;
            language.truncate(cut);
        }
    }
    return {};
}

QString Translations::install(const QString &folder)
{
    const QString language = folder.isEmpty() ? QString() : choose(QLocale().uiLanguages(), folder);
    if (language.isEmpty())
        return {};
    auto *own = new QTranslator(QCoreApplication::instance());
    if (!own->load(fileFor(folder, language)) || !QCoreApplication::installTranslator(own)) {
        delete own;
        return {};
    }
    // Missing when Debian's qt6-translations-l10n is not installed: Qt's
    // buttons then stay English.
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}
