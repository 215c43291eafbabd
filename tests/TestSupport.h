#pragma once
// Files and archives for the tests: scratch files, the real 7zz, listings.

#include "RunToEnd.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace test_support {

inline const QString kResources = QStringLiteral(CORVEX_RESOURCE_DIR);
inline const QString kTool = QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz");

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs 7zz (or any program) and reports its output when it fails. Standard
// input is `input` and then its end, so a tool that asks never waits.
inline bool runTool(const QStringList &arguments, const QString &workingFolder = QString(),
                    const QString &program = kTool, const QByteArray &input = QByteArray())
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.write(input), process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << program << arguments << process.readAll();
        return false;
    }
    return true;
}

inline bool runPython(const QString &script, const QStringList &arguments)
{
    return runTool(QStringList{QStringLiteral("-c"), script} + arguments, QDir::tempPath(), QStringLiteral("python3"));
}

// A ZIP of the given relative paths under `folder`, named as they are there.
inline bool makeZip(const QString &zip, const QString &folder, const QStringList &members)
{
    return QDir().mkpath(QFileInfo(zip).absolutePath()) && runTool(QStringList{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-spd"),
                               QStringLiteral("--"), zip} + members, folder);
}

// A ZIP made as an old Windows program would: `names` stored in Python's
// `codec` without the UTF-8 flag, each member holding its own name.
inline bool makeCodePageZip(const QString &zip, const QString &codec, const QStringList &names)
{
    static const QString script = QStringLiteral(
        "import sys, zipfile\n"
        "class Raw(zipfile.ZipInfo):\n"
        "    def _encodeFilenameFlags(self): return self.raw, self.flag_bits & ~0x800\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    for name in sys.argv[3:]:\n"
        "        info = Raw(name); info.raw = name.encode(sys.argv[2]); info.create_system = 0\n"
        "        z.writestr(info, b'' if name.endswith('/') else name.encode())\n");
    return runPython(script, QStringList{zip, codec} + names);
}

enum class Encryption { ZipCrypto, ZipAes, SevenZipData, SevenZipNames, ZipFirstMemberPlain };

// An encrypted archive of `members` (relative to `folder`) made by the real
// tool, the password given on its standard input. ZipFirstMemberPlain leaves
// the first member unencrypted and protects the rest with ZipCrypto.
inline bool makeEncrypted(Encryption kind, const QString &archive, const QString &folder,
                          const QStringList &members, const QString &password)
{
    const QStringList switches[] = {{"-tzip"}, {"-tzip", "-mem=AES256"}, {"-t7z"}, {"-t7z", "-mhe=on"}, {"-tzip"}};
    const auto add = [&](const QStringList &names, const QByteArray &input) {
        const QStringList ask = input.isEmpty() ? QStringList() : QStringList{"-p"};
        return runTool(QStringList{"a"} + switches[int(kind)] + ask + QStringList{"-spd", "--", archive} + names,
                       folder, kTool, input);
    };
    const QByteArray line = password.toUtf8() + '\n';
    if (kind == Encryption::ZipFirstMemberPlain)
        return add(members.mid(0, 1), QByteArray()) && add(members.mid(1), line);
    return add(members, line);
}

inline QStringList sortedPaths(const std::vector<ArchiveEntry> &entries)
{
    QStringList paths;
    for (const ArchiveEntry &entry : entries)
        paths.append(entry.path());
    return paths.sort(), paths;
}

inline QStringList memberPaths(const QString &archive) { return sortedPaths(runToEnd(ArchiveEngine(kResources), OperationKind::List, archive).entries); }

// Every file and folder below `folder`, relative and sorted.
inline QStringList tree(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(folder).relativeFilePath(it.next()));
    return found.sort(), found;
}

} // namespace test_support
