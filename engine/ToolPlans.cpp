#include "engine/ToolPlans.h"

#include "engine/ToolPassword.h"

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
ToolPlan ToolPlans::list(const ArchiveFormat &format, const QString &archive) const
{
    return one(format.reader,
               {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-spd"), QStringLiteral("--"), archive});
}

// "-bsp1": progress on the output, which the job reads.
ToolPlan ToolPlans::test(const ArchiveFormat &format, const QString &archive) const
{
    return one(format.reader,
               {QStringLiteral("t"), QStringLiteral("-bsp1"), QStringLiteral("-spd"), QStringLiteral("--"), archive});
}

ToolPlan ToolPlans::extract(const ArchiveFormat &format, const QString &archive, const QString &folder,
                            const QString &memberList, bool toolNames) const
{
    QStringList arguments{QStringLiteral("x"), QStringLiteral("-bsp1"), QStringLiteral("-spd"), QStringLiteral("-o."),
                          QStringLiteral("-y")};
    if (!memberList.isEmpty())
        arguments += {toolNames ? QStringLiteral("-scsWIN") : QStringLiteral("-scsUTF-8"),
                      QStringLiteral("-i@") + memberList};
    arguments += {QStringLiteral("--"), archive};
    return one(format.reader, std::move(arguments), folder);
}

ToolPlan ToolPlans::createZip(const QString &zip, const QStringList &inputs, bool encrypted) const
{
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-bsp1")};
    // A bare -p makes the tool read the password from its standard input.
    if (encrypted)
        arguments += {QStringLiteral("-mem=AES256"), QStringLiteral("-p")};
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
