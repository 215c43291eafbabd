#pragma once

#include <QString>

// Runs the resource folder's install-finder-actions.sh with /bin/zsh and
// waits for it, on the calling thread.
class FileManagerActionsInstaller
{
public:
    static constexpr const char *kShell = "/bin/zsh";
    static constexpr const char *kScriptName = "install-finder-actions.sh";

    explicit FileManagerActionsInstaller(const QString &resourceFolder);

    // Returns normally when the script exited with 0. Throws
    // ArchiveError::commandFailed with the script's combined output (or with
    // a note when there is no resource folder), or SystemError when the
    // shell cannot be started.
    void install() const;

    QString scriptPath() const;

private:
    QString m_resourceFolder;
};
