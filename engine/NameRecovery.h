#pragma once

#include "engine/ArchiveEntry.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

// Names a ZIP keeps in its maker's old code page (no UTF-8 flag). The tool
// prints and writes their stored bytes as they are, which are not UTF-8
// (docs/zip-code-pages.md). One code page is chosen for the archive and the
// entries' paths are decoded with it; the tool's bytes are kept for what is
// said to the tool (the members to take) and for what it writes (renamed in
// the staging folder). Names the tool already reads as UTF-8 never change.
// Copies share their data.
class NameRecovery
{
public:
    // Decodes the paths of `entries` in `codePage`, or in the detected one
    // when it is 0; `language` (a locale name) breaks the detector's ties.
    static NameRecovery apply(std::vector<ArchiveEntry> &entries, int codePage, const QString &language);

    // Whether the listing had names in an old code page at all.
    bool hasOldNames() const { return m_data && m_data->oldNames; }
    // The code page the names were decoded in, and the detector's choice; 0 for none.
    int codePage() const { return m_data ? m_data->codePage : 0; }
    int detected() const { return m_data ? m_data->detected : 0; }

    // The tool's bytes for a path as listed; its UTF-8 when it was not decoded.
    QByteArray toolPath(const QString &path) const;
    // A decoded path that is unsafe as decoded or as the tool has it.
    bool isUnsafe(const QString &path) const { return m_data && m_data->unsafe.contains(path); }
    // Gives what the tool wrote under `folder` the decoded names, deepest
    // first, never through a link and never over an existing name (that
    // item keeps the tool's name). Items not there are skipped.
    void renameIn(const QString &folder) const;

private:
    struct Data {
        bool oldNames = false;
        int codePage = 0;
        int detected = 0;
        // Decoded paths, and the folders above them, to the tool's bytes.
        QHash<QString, QByteArray> toolPaths;
        QSet<QString> unsafe;
        // The tool's relative path and the decoded name of its last part,
        // deepest first.
        std::vector<std::pair<QByteArray, QByteArray>> renames;
    };
    std::shared_ptr<const Data> m_data;
};
