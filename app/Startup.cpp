#include "app/Startup.h"

#include "engine/ArchiveEngine.h"
#include "engine/PreviewFolder.h"
#include "app/CommandLineMode.h"
#include "app/TerminationSignals.h"
#include "ui/CorvexController.h"
#include "platform/Desktop.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

Startup::Startup(Desktop &desktop, const QString &resourceFolder, const QStringList &arguments,
                         QObject *parent)
    : QObject(parent), m_desktop(desktop), m_resourceFolder(resourceFolder), m_arguments(arguments)
{
}

Startup::~Startup() = default;

Startup::Outcome Startup::start()
{
    if (!ArchiveEngine::hasTool(m_resourceFolder)) {
        // The options are not looked at: without the tool nothing can be done.
        m_desktop.showError(tr("Corvex's archive engine is missing."));
        return Outcome::EngineMissing;
    }
    m_engine = std::make_unique<ArchiveEngine>(m_resourceFolder);

    // View's copies a crash left.
    PreviewFolder::removeLeftovers();
    if (const std::optional<int> status = CommandLineMode::handleCommandLine(m_arguments, *m_engine, m_desktop))
        return *status == 0 ? Outcome::HandledByCommandLine : Outcome::CommandLineFailed;

    showWindow();
    return Outcome::WindowShown;
}

void Startup::showWindow()
{
    m_controller = new CorvexController(*m_engine, m_desktop, m_resourceFolder, this);
    QWidget *window = m_controller->window();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                                screen->availableGeometry()));
    }
    window->show();
    window->raise();
    window->activateWindow();
    // A signal ends the process as Cancel would: the work stops and cleans up first (the thread pool is
    // waited for as the application goes).
    if (TerminationSignals *termination = TerminationSignals::instance())
        connect(termination, &TerminationSignals::cancelRequested, m_controller, [this] {
            m_controller->cancelWork();
            QCoreApplication::exit(1);
        });

    // "Open With" from a file manager passes the archive, or its whole
    // selection: the first file among them opens (with none, the first
    // path, so that the user hears why).
    const QStringList items = m_arguments.mid(1);
    if (items.isEmpty()
        || std::any_of(items.begin(), items.end(), [](const QString &item) { return item.startsWith(QLatin1Char('-')); }))
        return;
    QString chosen = CommandLineMode::absoluteItemPath(items.first());
    for (const QString &item : items) {
        const QString path = CommandLineMode::absoluteItemPath(item);
        if (QFileInfo(path).isFile()) {
            chosen = path;
            break;
        }
    }
    m_controller->loadArchive(chosen);
}
