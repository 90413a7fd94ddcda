#include "SimConsole.h"

#include <QtCore/QString>

#include <cerrno>
#include <poll.h>
#include <string>
#include <unistd.h>

SimConsole::SimConsole(SimDriverModel &model, int inputFd, FILE *output)
    : m_control(model), m_input(inputFd), m_output(output)
{
}

SimConsole::~SimConsole()
{
    stop();
}

bool SimConsole::start()
{
    if (m_thread.joinable())
        return true;
    if (pipe(m_wake) != 0)
        return false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void SimConsole::stop()
{
    if (!m_thread.joinable())
        return;
    const char byte = 0;
    while (write(m_wake[1], &byte, 1) < 0 && errno == EINTR) {
    }
    m_thread.join();
    close(m_wake[0]);
    close(m_wake[1]);
    m_wake[0] = m_wake[1] = -1;
}

void SimConsole::run()
{
    std::string pending;
    char buffer[512];
    for (;;) {
        pollfd fds[2] = {{m_input, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        const ssize_t count = read(m_input, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return; // end of input: the driver goes on serving
        pending.append(buffer, static_cast<size_t>(count));
        size_t end = 0;
        while ((end = pending.find('\n')) != std::string::npos) {
            const QString reply = m_control.handle(QString::fromUtf8(pending.data(), static_cast<int>(end)));
            pending.erase(0, end + 1);
            if (!reply.isEmpty()) {
                std::fprintf(m_output, "%s\n", reply.toUtf8().constData());
                std::fflush(m_output);
            }
        }
    }
}
