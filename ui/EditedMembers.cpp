#include "ui/EditedMembers.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// False when the file is not there (an editor between writing and renaming).
bool seen(EditedMembers::Copy &copy)
{
    struct stat status;
    if (::stat(QFile::encodeName(copy.file).constData(), &status) != 0)
        return false;
    copy.inode = status.st_ino;
    copy.size = status.st_size;
    copy.modified = qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    return true;
}

} // namespace

EditedMembers::EditedMembers(QObject *parent) : QObject(parent)
{
    // An editor writes, renames and sets times in a burst: one offer for it.
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, &EditedMembers::look);
}

void EditedMembers::watch(const QString &file, const QString &member)
{
    Copy copy{file, member};
    if (!seen(copy))
        return;
    std::erase_if(m_copies, [&file](const Copy &known) { return known.file == file; });
    m_copies.push_back(copy);
    m_watcher.addPath(file);
    m_watcher.addPath(QFileInfo(file).absolutePath());
}

void EditedMembers::clear()
{
    m_settle.stop();
    m_copies.clear();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

void EditedMembers::look()
{
    std::vector<Copy> changed;
    for (Copy &copy : m_copies) {
        Copy now = copy;
        if (!seen(now) || (now.inode == copy.inode && now.size == copy.size && now.modified == copy.modified))
            continue;
        copy = now;
        changed.push_back(copy);
        // A file renamed over the copy is another file to watch.
        m_watcher.addPath(copy.file);
    }
    if (!changed.empty())
        emit edited(changed);
}
