#pragma once

#include "engine/Operation.h"
#include "ui/MemberSelection.h"

#include <QList>
#include <QString>
#include <QUrl>

// Members dragged out of the window are extracted into a private folder
// first; the drop target is offered their copies there as file URLs, and a
// file manager copies them where they are dropped. The folders are made in
// the user's cache folder rather than the runtime folder, which is a small
// in-memory file system while a drag may be of gigabytes. The last drag's
// folder is kept, so that the same selection dragged again starts at once.
// Every folder goes with this object; those a crashed program left behind
// go once they are a day old.
class DragOut
{
public:
    DragOut() = default;
    ~DragOut();
    DragOut(const DragOut &) = delete;
    DragOut &operator=(const DragOut &) = delete;

    // Where the folders are made.
    static QString base();
    // A new folder only its owner can enter; empty after saying why not in `problem`.
    QString newFolder(QString &problem);

    // The folder that already holds these members of this archive, as the
    // archive is now and with every copy still there; else empty.
    QString kept(const QString &archive, const MemberSelection::Members &members) const;
    void keep(const QString &archive, const MemberSelection::Members &members, const QString &folder);

    // The copies in `folder` to offer: each member's (for the whole archive,
    // each item at the folder's top), when it is there and inside the folder.
    static QList<QUrl> urls(const QString &folder, const MemberSelection::Members &members);

    void removeAll();

private:
    struct Kept {
        QString archive;
        FileIdentity file;
        bool all = false;
        QStringList paths;
        QString folder;
    };
    static bool sameSource(const Kept &kept, const QString &archive, const MemberSelection::Members &members);

    QStringList m_folders;
    Kept m_kept;
    bool m_swept = false;
};
