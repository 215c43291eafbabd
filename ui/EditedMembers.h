#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <vector>

// View's copies of members, watched for an editor's save: in place, or as
// a new file renamed over the copy (so the folder is watched too). Saves
// close together come as one batch.
class EditedMembers : public QObject
{
    Q_OBJECT
public:
    struct Copy {
        QString file;     // the copy View opened
        QString member;   // its path in the archive
        // What the file was when last seen: inode, size, modification time.
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modified = 0;
    };

    explicit EditedMembers(QObject *parent = nullptr);

    void watch(const QString &file, const QString &member);
    // Stops watching every copy (another archive is current).
    void clear();

signals:
    void edited(const std::vector<EditedMembers::Copy> &copies);

private:
    void look();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    std::vector<Copy> m_copies;
};
