// Changing an archive: the tool reads the original and writes the changed
// archive under another name ("-u-" leaves the original alone, "!NAME" is
// the new file, which it writes in place, with no ".tmp" of its own).
// The update states (measured): "p1" copies every member the command does
// not name (without it a delete drops everything); adding, "q1" keeps the
// others and "r2x2y2z2w2" takes every item given, replacing a member of
// its name whatever the times. Deleting, every other state is 0: "q1"
// would have the tool look for the deleted names on disk and fail.
#include "engine/ToolPlans.h"

#include <QHash>
#include <QStandardPaths>

namespace {

QString writing(const QString &written, bool adding)
{
    return (adding ? QStringLiteral("-up1q1r2x2y2z2w2!") : QStringLiteral("-up1q0r0x0y0z0w0!")) + written;
}

// Given "-p", the tool asks for the password to read the archive (a 7z
// with encrypted names) and again for the new one: the same. A ZIP's new
// members then take the archive's method (AES-256 in an AES ZIP), and a 7z
// keeps its names encrypted (measured).
ToolPlan twice(ToolPlan plan)
{
    plan.passwordLines = 2;
    return plan;
}

// The tool's names for the streams it writes and reads on standard input.
QString streamType(const ArchiveFormat &format)
{
    static const QHash<QString, QString> types{{QStringLiteral("gz"), QStringLiteral("gzip")},
                                               {QStringLiteral("bz2"), QStringLiteral("bzip2")},
                                               {QStringLiteral("xz"), QStringLiteral("xz")},
                                               {QStringLiteral("zst"), QStringLiteral("zstd")}};
    return types.value(format.extensions.value(0));
}

QString systemProgram(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStringLiteral("/usr/bin/") + name : found;
}

} // namespace

ToolPlan ToolPlans::removal(const QString &archive, const QString &written, const QString &memberList,
                            bool encrypted) const
{
    QStringList arguments{QStringLiteral("d"), QStringLiteral("-bsp1"), QStringLiteral("-u-"), writing(written, false),
                          QStringLiteral("-scsUTF-8"), QStringLiteral("-spd"), QStringLiteral("-i@") + memberList};
    if (encrypted)
        arguments += QStringLiteral("-p");
    return twice(one(Reader::SevenZip, arguments + QStringList{QStringLiteral("--"), archive}, QString(), encrypted));
}

ToolPlan ToolPlans::renaming(const QString &archive, const QString &written, const QStringList &pairs,
                             bool encrypted) const
{
    QStringList arguments{QStringLiteral("rn"), QStringLiteral("-bsp1"), QStringLiteral("-u-"), writing(written, false),
                          QStringLiteral("-spd")};
    if (encrypted)
        arguments += QStringLiteral("-p");
    return twice(one(Reader::SevenZip, arguments + QStringList{QStringLiteral("--"), archive} + pairs, QString(), encrypted));
}

ToolPlan ToolPlans::addition(const QString &archive, const QString &written, const QStringList &inputs,
                             bool encrypted, const QString &excluded) const
{
    // "-snl": a link goes in as a link, never what it points at.
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-bsp1"), QStringLiteral("-u-"), writing(written, true),
                          QStringLiteral("-snl")};
    if (encrypted)
        arguments += QStringLiteral("-p");
    if (!excluded.isEmpty())
        arguments += {QStringLiteral("-scsUTF-8"), QStringLiteral("-x@") + excluded};
    arguments += {QStringLiteral("-spd"), QStringLiteral("--"), archive};
    return twice(one(Reader::SevenZip, arguments + inputs, QString(), encrypted));
}

// No "-p": a bare one there is the empty password; asked, the tool reads the line.
ToolPlan ToolPlans::memberTest(const QString &archive, const QString &memberList) const
{
    return one(Reader::SevenZip,
               {QStringLiteral("t"), QStringLiteral("-scsUTF-8"), QStringLiteral("-spd"),
                QStringLiteral("-i@") + memberList, QStringLiteral("--"), archive});
}

// The stream's reader is fed the open archive (progress: the share fed);
// dd writes what it gives to the file, which no other run names.
ToolPlan ToolPlans::decompressed(const ArchiveFormat &format, int fd, const QString &written) const
{
    ToolPlan plan;
    plan.inputFd = fd;
    plan.stages.push_back({program(Reader::SevenZip),
                           {QStringLiteral("x"), QStringLiteral("-so"), QStringLiteral("-si"), QStringLiteral("-t") + streamType(format)},
                           QString(), false});
    plan.stages.push_back({systemProgram(QStringLiteral("dd")),
                           {QStringLiteral("of=") + written, QStringLiteral("bs=1M"), QStringLiteral("status=none")}, QString(), false});
    return plan;
}

// The tool writes no zstd: zstd itself does, as a new .tar.zst is made.
ToolPlan ToolPlans::compressed(const ArchiveFormat &format, const QString &tar, const QString &written) const
{
    if (streamType(format) == QLatin1String("zstd")) {
        ToolPlan plan;
        plan.stages.push_back({systemProgram(QStringLiteral("zstd")),
                               {QStringLiteral("-q"), QStringLiteral("-T0"), QStringLiteral("-3"), QStringLiteral("-o"),
                                written, QStringLiteral("--"), tar},
                               QString(), false});
        return plan;
    }
    return one(Reader::SevenZip,
               {QStringLiteral("a"), QStringLiteral("-bsp1"), QStringLiteral("-t") + streamType(format),
                QStringLiteral("-spd"), QStringLiteral("--"), written, tar},
               QString(), false);
}
