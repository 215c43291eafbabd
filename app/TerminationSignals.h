#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, log-out) as Cancel: the work
// stops its tool and removes what it made before the process ends. The
// handler only writes to a pipe; the event loop reads it. One per process,
// made after the application object.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // The one made, or nullptr.
    static TerminationSignals *instance();
    // A signal came: whatever starts now is cancelled at once.
    bool received() const { return m_received; }

signals:
    // Emitted once per signal, before the open dialogs are dismissed.
    void cancelRequested();

private:
    void read();

    QSocketNotifier *m_notifier = nullptr;
    bool m_received = false;
};
