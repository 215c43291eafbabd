#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Where results go, on absolute paths: the names beside an archive or an
// item, and the free name taken when one is already used.
namespace FileNames {

// The text after the last '.' of the last component; a name that starts
// with its only dots (".profile", "..") has none. Also on views of text and
// of raw bytes, for names in archives, which need not be UTF-8.
QString lastExtension(const QString &path);
QStringView lastExtension(QStringView path);
QByteArrayView lastExtension(QByteArrayView path);
QString withoutLastExtension(const QString &path);
QString parentFolder(const QString &path);
// Extract to Folder: beside the archive, named after it less its last extension.
QString extractFolderFor(const QString &archive);
// Compress to ZIP: beside the first item.
QString zipDestinationFor(const QString &firstItem);

// The n-th name of a series that starts with `path` itself (n = 1):
// "report 2.zip", "backup 3.tar.gz", "docs 2" for a folder. The number goes
// before the extension of a file, as file managers place it.
QString numberedName(const QString &path, int n, bool isFolder);
QByteArray numberedName(const QByteArray &name, int n, bool isFolder);
// The first name of that series where nothing exists, not even a dangling link.
QString firstFreeName(const QString &path, bool isFolder = false);

// Creates the folder and any missing parents; an existing folder is fine.
// Throws SystemError with the system's reason.
void createFolder(const QString &path);

// Extract to Folder's destination: the folder named after the archive,
// reused when it is a real folder, and otherwise (a file, a link, even one
// to a folder) the first free name, created. Throws SystemError.
struct ExtractFolder {
    QString path;
    bool created = false;   // made now: remove it again if nothing goes in
};
ExtractFolder makeExtractFolder(const QString &archive);

} // namespace FileNames
