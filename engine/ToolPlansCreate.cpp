#include "engine/ToolPlans.h"

#include <QStandardPaths>

namespace {

QString levelSwitch(NewLevel level)
{
    static const char *const levels[] = {"-mx=0", "-mx=1", "-mx=5", "-mx=9"};
    return QString::fromLatin1(levels[int(level)]);
}

QString zstdLevel(NewLevel level)
{
    static const char *const levels[] = {"-1", "-1", "-3", "-19"};
    return QString::fromLatin1(levels[int(level)]);
}

QString systemProgram(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStringLiteral("/usr/bin/") + name : found;
}

} // namespace

ToolPlan ToolPlans::newArchive(const QString &archive, const QStringList &inputs, const NewArchiveOptions &options,
                               bool encrypted, const QString &excluded) const
{
    // "-snl": a link goes in as a link, so nothing outside the items is read.
    QStringList reading{QStringLiteral("-snl")};
    if (!excluded.isEmpty())
        reading += {QStringLiteral("-scsUTF-8"), QStringLiteral("-x@") + excluded};
    const QString volumes = options.volumeBytes > 0 ? QStringLiteral("-v%1b").arg(options.volumeBytes) : QString();
    const QString tool = program(Reader::SevenZip);
    ToolPlan plan;

    QStringList arguments{QStringLiteral("a"), QStringLiteral("-bsp1")};
    switch (options.format) {
    case NewFormat::Zip:
        arguments += {QStringLiteral("-tzip"), levelSwitch(options.level)};
        if (encrypted)
            arguments += QStringLiteral("-mem=AES256");
        break;
    case NewFormat::SevenZip:
        arguments += {QStringLiteral("-t7z"), levelSwitch(options.level)};
        if (encrypted && options.encryptNames)
            arguments += QStringLiteral("-mhe=on");
        break;
    case NewFormat::Tar:
        arguments += QStringLiteral("-ttar");
        break;
    default: {
        // The tar goes to standard output ("-an": no archive name), progress
        // to its standard error: the share of the items read.
        plan.stages.push_back({tool,
                               QStringList{QStringLiteral("a"), QStringLiteral("-ttar"), QStringLiteral("-so"),
                                           QStringLiteral("-an"), QStringLiteral("-bsp2")}
                                   + reading + QStringList{QStringLiteral("-spd"), QStringLiteral("--")} + inputs,
                               QString(), false});
        if (options.format == NewFormat::TarZst) {
            QStringList zstd{QStringLiteral("-q"), QStringLiteral("-T0"), zstdLevel(options.level)};
            if (volumes.isEmpty()) {
                plan.stages.push_back({systemProgram(QStringLiteral("zstd")), zstd + QStringList{QStringLiteral("-o"), archive},
                                       QString(), false});
                return plan;
            }
            // Volumes named as the tool names its own: NAME.001, NAME.002 …
            plan.stages.push_back({systemProgram(QStringLiteral("zstd")), zstd << QStringLiteral("-c"), QString(), false});
            plan.stages.push_back({systemProgram(QStringLiteral("split")),
                                   {QStringLiteral("-b"), QString::number(options.volumeBytes), QStringLiteral("-a"),
                                    QStringLiteral("3"), QStringLiteral("--numeric-suffixes=1"), QStringLiteral("-"),
                                    archive + QLatin1Char('.')},
                                   QString(), false});
            return plan;
        }
        static const char *const types[] = {"-tgzip", "-txz", "-tbzip2"};
        QStringList compressing{QStringLiteral("a"), QStringLiteral("-si"),
                                QString::fromLatin1(types[int(options.format) - int(NewFormat::TarGz)]),
                                levelSwitch(options.level)};
        if (!volumes.isEmpty())
            compressing += volumes;
        plan.stages.push_back({tool, compressing + QStringList{QStringLiteral("-spd"), QStringLiteral("--"), archive},
                               QString(), false});
        return plan;
    }
    }
    // A bare -p makes the tool read the password from its standard input.
    if (encrypted)
        arguments += QStringLiteral("-p");
    if (!volumes.isEmpty())
        arguments += volumes;
    arguments += reading + QStringList{QStringLiteral("-spd"), QStringLiteral("--"), archive} + inputs;
    plan.stages.push_back({tool, arguments, QString(), encrypted});
    return plan;
}
