#pragma once
// Shared by the window tests: a scratch folder, archives made with the real
// 7zz, and lookups of the window's parts by object name.

#include "ArchiveEngine.h"
#include "CorvexController.h"
#include "EntryTableModel.h"
#include "FakeDesktop.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

namespace ui_test {

inline const QString kResources = QStringLiteral(CORVEX_RESOURCE_DIR);
inline const QString kTool = QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz");

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs 7zz (or any program) and reports its output when it fails.
inline bool runTool(const QStringList &arguments, const QString &workingFolder = QString(),
                    const QString &program = kTool)
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << program << arguments << process.readAll();
        return false;
    }
    return true;
}

// A ZIP of the given relative paths under `folder`, named as they are there.
inline bool makeZip(const QString &zip, const QString &folder, const QStringList &members)
{
    return runTool(QStringList{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-spd"),
                               QStringLiteral("--"), zip}
                       + members,
                   folder);
}

inline QStringList memberPaths(const QString &archive)
{
    QStringList paths;
    for (const ArchiveEntry &entry : ArchiveEngine(kResources).list(archive))
        paths.append(entry.path());
    paths.sort();
    return paths;
}

template <typename T>
T *part(const CorvexController &controller, const char *name)
{
    T *found = controller.window()->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no %s in the window", name);
    return found;
}

inline QString statusText(const CorvexController &c) { return part<QLabel>(c, "statusLabel")->text(); }
inline QString pathText(const CorvexController &c) { return part<QLabel>(c, "pathLabel")->text(); }
inline QTableView *table(const CorvexController &c) { return part<QTableView>(c, "entryTable"); }
inline int rowCount(const CorvexController &c) { return table(c)->model()->rowCount(); }

inline QString cell(const CorvexController &c, int row, int column)
{
    return table(c)->model()->index(row, column).data().toString();
}

inline void click(const CorvexController &c, const char *buttonName)
{
    QAbstractButton *button = part<QAbstractButton>(c, buttonName);
    QVERIFY(button);
    button->click();
}

inline void selectRow(const CorvexController &c, int row)
{
    table(c)->selectRow(row);
}

// Everything still running on the pool has finished and posted its result.
inline void drainWork()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

} // namespace ui_test

#define UI_WAIT_FOR_STATUS(controller, text) QTRY_COMPARE_WITH_TIMEOUT(ui_test::statusText(controller), text, 30000)
