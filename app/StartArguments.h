#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The program's arguments exactly as given, read from main()'s argv before
// the application object exists: QApplication takes out the arguments it
// knows ("-platform", "-stylesheet", "-reverse" …) wherever they stand, so
// an item of such a name would be lost, or read as an instruction to Qt.
class StartArguments
{
    Q_DECLARE_TR_FUNCTIONS(StartArguments)

public:
    StartArguments(int argc, const char *const *argv);

    // The program path first, then every argument, for Startup.
    const QStringList &arguments() const { return m_arguments; }
    // Arguments whose bytes are not UTF-8: as text they would name another
    // path, so nothing is done with them. Shown with U+FFFD in place.
    const QStringList &unreadable() const { return m_unreadable; }

    // The alert that refuses them.
    QString refusalMessage() const;
    QString refusalInformativeText() const;

private:
    QStringList m_arguments;
    QStringList m_unreadable;
};
