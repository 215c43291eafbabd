#include "engine/ToolPlans.h"

#include "engine/ToolPassword.h"

#include <QHash>

QString ToolPlans::program(Reader reader) const
{
    return m_programFolder + QLatin1Char('/') + ArchiveFormats::programName(reader);
}

ToolPlan ToolPlans::one(Reader reader, QStringList arguments, const QString &workingFolder, bool takesPassword) const
{
    ToolPlan plan;
    plan.stages.push_back({program(reader), std::move(arguments), workingFolder, takesPassword});
    return plan;
}

// "-spd" everywhere: names are literal, never wildcards. "--" before the
// paths: a name that starts with '-' is never read as a switch.
// A compressed tar in one go: the stream's reader writes the tar to its
// output, whose rest the runner checks; the tar's reader takes it on its
// input. The stream's reader is fed the open archive, the very file that
// was screened, and progress is the share fed; but a Z stream, which the
// tool reads only from a file, goes by its path, with the tool's progress.
ToolPlan ToolPlans::tar(const ArchiveFormat &format, const QString &archive, int fd, QStringList tarArguments,
                        const QString &workingFolder) const
{
    // The tool's names for the streams it reads from its input ("-tgz" fails).
    static const QHash<QString, QString> types{{QStringLiteral("gz"), QStringLiteral("gzip")},
                                               {QStringLiteral("bz2"), QStringLiteral("bzip2")},
                                               {QStringLiteral("xz"), QStringLiteral("xz")},
                                               {QStringLiteral("zst"), QStringLiteral("zstd")},
                                               {QStringLiteral("lzma"), QStringLiteral("lzma")}};
    const QString type = types.value(format.extensions.value(0));
    ToolPlan plan;
    QStringList stream{QStringLiteral("x"), QStringLiteral("-so")};
    if (type.isEmpty()) {
        stream += {QStringLiteral("-bsp2"), QStringLiteral("-spd"), QStringLiteral("--"), archive};
    } else {
        stream += {QStringLiteral("-si"), QStringLiteral("-t") + type};
        plan.inputFd = fd;
    }
    tarArguments += {QStringLiteral("-si"), QStringLiteral("-ttar")};
    plan.stages.push_back({program(format.reader), stream, QString(), false});
    plan.stages.push_back({program(format.reader), tarArguments, workingFolder, false});
    plan.lastReadsAll = true;
    return plan;
}

// corvex-reader takes the tool's commands, reads no password, and prints
// the tool's record shape and progress texts (app/reader/main.cpp).
ToolPlan ToolPlans::list(const ArchiveFormat &format, const QString &archive, int tarFd) const
{
    if (format.reader == Reader::Corvex)
        return one(format.reader, {QStringLiteral("l"), QStringLiteral("--"), archive}, QString(), false);
    if (tarFd >= 0)
        return tar(format, archive, tarFd, {QStringLiteral("l"), QStringLiteral("-slt")});
    return one(format.reader,
               {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-spd"), QStringLiteral("--"), archive});
}

// "-bsp1": progress on the output, which the job reads.
ToolPlan ToolPlans::test(const ArchiveFormat &format, const QString &archive, int tarFd) const
{
    if (format.reader == Reader::Corvex)
        return one(format.reader, {QStringLiteral("t"), QStringLiteral("--"), archive}, QString(), false);
    // The stream's own check is its reader's status; the tar's, the test's.
    if (tarFd >= 0)
        return tar(format, archive, tarFd, {QStringLiteral("t")});
    return one(format.reader,
               {QStringLiteral("t"), QStringLiteral("-bsp1"), QStringLiteral("-spd"), QStringLiteral("--"), archive});
}

ToolPlan ToolPlans::extract(const ArchiveFormat &format, const QString &archive, const QString &folder,
                            const QString &memberList, bool toolNames, int tarFd) const
{
    if (format.reader == Reader::Corvex) {
        QStringList arguments{QStringLiteral("x")};
        if (!memberList.isEmpty())
            arguments.append(QStringLiteral("-i@") + memberList);
        return one(format.reader, arguments + QStringList{QStringLiteral("--"), archive}, folder, false);
    }
    QStringList arguments{QStringLiteral("x"), QStringLiteral("-bsp1"), QStringLiteral("-spd"), QStringLiteral("-o."),
                          QStringLiteral("-y")};
    if (!memberList.isEmpty())
        arguments += {toolNames ? QStringLiteral("-scsWIN") : QStringLiteral("-scsUTF-8"),
                      QStringLiteral("-i@") + memberList};
    if (tarFd >= 0)
        return tar(format, archive, tarFd, arguments, folder);
    arguments += {QStringLiteral("--"), archive};
    return one(format.reader, std::move(arguments), folder);
}

ToolPlan ToolPlans::extractListed(const ArchiveFormat &format, const QString &archive, const QString &folder,
                                  const QString &memberList, bool toolNames, int tarFd) const
{
    ToolPlan plan = extract(format, archive, folder, memberList, toolNames, tarFd);
    plan.stages.insert(plan.stages.begin() + 1,
                       {program(format.reader),
                        {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-si"), QStringLiteral("-ttar")},
                        QString(), false});
    plan.listingBeside = true;
    return plan;
}

// "-snl": a link is stored as a link, never followed: nothing from outside
// the chosen items goes in, and a link loop ends.
ToolPlan ToolPlans::createZip(const QString &zip, const QStringList &inputs, bool encrypted,
                              const QString &excluded) const
{
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-bsp1"), QStringLiteral("-snl")};
    // A bare -p makes the tool read the password from its standard input.
    if (encrypted)
        arguments += {QStringLiteral("-mem=AES256"), QStringLiteral("-p")};
    if (!excluded.isEmpty())
        arguments += {QStringLiteral("-scsUTF-8"), QStringLiteral("-x@") + excluded};
    arguments += {QStringLiteral("-spd"), QStringLiteral("--"), zip};
    arguments += inputs;
    return one(Reader::SevenZip, std::move(arguments), QString(), encrypted);
}

// The tool turns every member's time into local time. With no TZ set the C
// library looks at /etc/localtime again for each one, which is half the time
// of a large listing; naming that same file gives the same times without
// the checks. A TZ of the user's own is left alone.
ProcessRunner::Options ToolPlans::options(const QString &password)
{
    ProcessRunner::Options options;
    if (!qEnvironmentVariableIsSet("TZ"))
        options.environment = QStringList{QStringLiteral("TZ=:/etc/localtime")};
    // With no input the tool reads the null device: a prompt ends the run.
    if (!password.isEmpty())
        options.input = ToolPassword::standardInput(password);
    return options;
}
