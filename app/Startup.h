#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class ArchiveEngine;
class CorvexController;
class Desktop;

// Start-up: creates the one engine, lets the command-line mode handle the
// invocation, and otherwise opens the main window. Holds the engine and the
// window's controller for the life of the process.
class Startup : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        WindowShown,            // run the event loop; it ends with the last window
        HandledByCommandLine,   // done, all of it succeeded: quit without a window
        CommandLineFailed,      // done, not all of it succeeded: quit without a window
        EngineMissing,          // the alert was shown: quit without a window
    };

    // `arguments` start with the program path, as QCoreApplication gives them.
    Startup(Desktop &desktop, const QString &resourceFolder, const QStringList &arguments,
            QObject *parent = nullptr);
    ~Startup() override;

    Outcome start();

    CorvexController *controller() const { return m_controller; }

private:
    void showWindow();

    Desktop &m_desktop;
    const QString m_resourceFolder;
    const QStringList m_arguments;
    std::unique_ptr<ArchiveEngine> m_engine;
    CorvexController *m_controller = nullptr;
};
