#include "app/CommandLineMode.h"

#include "engine/ArchiveEngine.h"
#include "engine/ArchiveError.h"
#include "platform/Desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <exception>
#include <sys/stat.h>

namespace CommandLineMode {

namespace {

enum class Operation { none, extractHere, extractToFolder, compressToZip };

Operation operationFor(const QString &option)
{
    const QString lowered = option.toLower();
    if (lowered == QLatin1String("-corvexextracthere"))
        return Operation::extractHere;
    if (lowered == QLatin1String("-corvexextractfolder"))
        return Operation::extractToFolder;
    if (lowered == QLatin1String("-add2archive"))
        return Operation::compressToZip;
    return Operation::none;
}

qsizetype lastExtensionDot(const QString &path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= nameStart)
        return -1;
    // "." and ".." are names, not extensions.
    for (qsizetype i = nameStart; i < dot; ++i) {
        if (path.at(i) != QLatin1Char('.'))
            return dot;
    }
    return -1;
}

void extract(const QString &archive, bool intoOwnFolder, const ArchiveEngine &engine, Desktop &desktop)
{
    const QStringList unsafe = engine.unsafePaths(archive);
    if (!unsafe.isEmpty()) {
        desktop.showAlert(Desktop::AlertStyle::Warning, QStringLiteral("Unsafe archive paths detected"),
                          QStringLiteral("Corvex found %1 item(s) that may write outside the destination. "
                                         "Extraction was stopped.")
                              .arg(unsafe.size()));
        return;
    }
    QString destination = parentFolder(archive);
    try {
        if (intoOwnFolder) {
            destination = extractFolderFor(archive);
            createFolder(destination);
        }
        engine.extract(archive, destination);
    } catch (const std::exception &error) {
        desktop.showError(describeError(error));
        return;
    }
    desktop.reveal({destination});
}

void compress(const QStringList &items, const ArchiveEngine &engine, Desktop &desktop)
{
    const QString zip = zipDestinationFor(items.first());
    try {
        engine.createZip(zip, items);
    } catch (const std::exception &error) {
        desktop.showError(describeError(error));
        return;
    }
    desktop.reveal({zip});
}

} // namespace

bool handleCommandLine(const QStringList &arguments, const ArchiveEngine &engine, Desktop &desktop)
{
    if (arguments.size() < 3)
        return false;
    const Operation operation = operationFor(arguments.at(1));
    if (operation == Operation::none)
        return false;

    // Everything after the option is an item, even what looks like an option.
    QStringList items;
    for (qsizetype i = 2; i < arguments.size(); ++i)
        items.append(absoluteItemPath(arguments.at(i)));

    if (operation == Operation::compressToZip)
        compress(items, engine, desktop);
    else
        extract(items.first(), operation == Operation::extractToFolder, engine, desktop);
    return true;
}

QString absoluteItemPath(const QString &argument)
{
    const QString absolute = QDir::current().absoluteFilePath(argument);
    QStringList kept;
    for (const QString &component : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component != QLatin1String("."))
            kept.append(component);
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

QString lastExtension(const QString &path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString withoutLastExtension(const QString &path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? path : path.left(dot);
}

QString parentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString extractFolderFor(const QString &archive)
{
    return withoutLastExtension(archive);
}

QString zipDestinationFor(const QString &firstItem)
{
    const QString zipSuffix = QStringLiteral(".zip");
    if (QFileInfo(firstItem).isDir())
        return firstItem + zipSuffix;
    if (lastExtension(firstItem).toLower() == QLatin1String("zip"))
        return firstItem + zipSuffix;
    return withoutLastExtension(firstItem) + zipSuffix;
}

void createFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0777) == 0)
        return;
    int error = errno;
    if (error == ENOENT && parentFolder(path) != path) {
        createFolder(parentFolder(path));
        if (::mkdir(native.constData(), 0777) == 0)
            return;
        error = errno;
    }
    struct stat status;
    if (error == EEXIST && ::stat(native.constData(), &status) == 0 && S_ISDIR(status.st_mode))
        return;
    throw SystemError::fromErrno(QStringLiteral("Cannot create the folder “%1”").arg(path), error);
}

} // namespace CommandLineMode
