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

    struct Result {
        bool succeeded = true;
        // Why not, for an alert: the script's output, or why it did not run.
        QString problem;
    };
    // Succeeds when the script exited with 0.
    Result install() const;

    QString scriptPath() const;

private:
    QString m_resourceFolder;
};
