#include "platform/FileManagerActionsInstaller.h"

#include "engine/ProcessRunner.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace {
// More than anyone reads in an alert; the middle goes first.
constexpr qsizetype kKeptOutput = 1024 * 1024;
}

FileManagerActionsInstaller::FileManagerActionsInstaller(const QString &resourceFolder)
    : m_resourceFolder(resourceFolder)
{
}

QString FileManagerActionsInstaller::scriptPath() const
{
    return m_resourceFolder + QLatin1Char('/') + QLatin1String(kScriptName);
}

FileManagerActionsInstaller::Result FileManagerActionsInstaller::install() const
{
    if (m_resourceFolder.isEmpty())
        return {false, QCoreApplication::translate("FileManagerActionsInstaller",
                                                   "File manager actions are missing from this build.")};

    // The shell reads the script, so it needs no execute permission; a
    // missing script is reported by the shell itself.
    ProcessRunner::Options options;
    options.keepLimit = kKeptOutput;
    const ProcessRunner::Result result = ProcessRunner::run(QLatin1String(kShell), {scriptPath()}, options);
    if (!result.problem.isEmpty())
        return {false, result.problem};
    if (result.status == 0)
        return {};

    QStringDecoder decode(QStringConverter::Utf8);
    QString output = decode(result.output);
    if (decode.hasError() || output.isEmpty())
        output = QCoreApplication::translate("FileManagerActionsInstaller", "The installer failed.");
    return {false, output};
}
