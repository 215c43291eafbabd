#include "app/TerminationSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int s_pipe[2] = {-1, -1};
TerminationSignals *s_instance = nullptr;

extern "C" void onSignal(int number)
{
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (s_instance || ::pipe2(s_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    s_instance = this;
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::read);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (s_instance != this)
        return;
    for (const int number : kSignals)
        ::signal(number, SIG_DFL);
    ::close(s_pipe[0]);
    ::close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
    s_instance = nullptr;
}

TerminationSignals *TerminationSignals::instance()
{
    return s_instance;
}

void TerminationSignals::read()
{
    char bytes[16];
    while (::read(s_pipe[0], bytes, sizeof bytes) > 0) {
    }
    m_received = true;
    emit cancelRequested();
    // A question left open would hold the run: it is answered Cancel.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    }
}
