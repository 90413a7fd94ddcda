#include "SignalWatcher.h"

#include <QtCore/QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int s_pipe[2] = {-1, -1};
SignalWatcher *s_current = nullptr;
volatile sig_atomic_t s_received = 0;

// Only async-signal-safe work: one byte into the pipe. A second signal
// ends the program at once, for a driver that keeps the clean stop waiting.
extern "C" void onSignal(int number)
{
    if (s_received)
        ::_exit(128 + number);
    s_received = 1;
    const int saved = errno;
    const char byte = static_cast<char>(number);
    if (s_pipe[1] >= 0)
        (void)!::write(s_pipe[1], &byte, 1);
    errno = saved;
}

void setHandler(int number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
}

} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent)
{
    if (::pipe(s_pipe) != 0)
        return;
    for (int fd : s_pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });
    setHandler(SIGINT, onSignal);
    setHandler(SIGTERM, onSignal);
    s_current = this;
}

SignalWatcher::~SignalWatcher()
{
    setHandler(SIGINT, SIG_DFL);
    setHandler(SIGTERM, SIG_DFL);
    if (s_current == this)
        s_current = nullptr;
    delete m_notifier;
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

SignalWatcher *SignalWatcher::current()
{
    return s_current;
}

bool SignalWatcher::pending()
{
    return s_current && s_current->poll();
}

bool SignalWatcher::poll()
{
    readPipe();
    return isInterrupted();
}

void SignalWatcher::readPipe()
{
    char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(s_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (m_signal == 0)
                m_signal = bytes[i];
            emit interrupted(bytes[i]);
        }
    }
}
