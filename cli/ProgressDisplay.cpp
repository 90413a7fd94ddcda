#include "ProgressDisplay.h"

#include <cstdio>
#include <unistd.h>

namespace {
const int kBarWidth = 30;
}

ProgressDisplay::Mode ProgressDisplay::automatic()
{
    return ::isatty(STDOUT_FILENO) ? Bar : Lines;
}

void ProgressDisplay::show(int percentage, double secondsLeft)
{
    if (m_mode == Lines) {
        if (percentage == m_shown)
            return;
        m_shown = percentage;
        std::printf("  progress %3d%%  (%.1f s left)\n", percentage, secondsLeft);
        std::fflush(stdout);
        return;
    }
    const int filled = qBound(0, percentage, 100) * kBarWidth / 100;
    const QString bar = QStringLiteral("  [%1%2] %3%  %4 s left ")
                            .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('-')))
                            .arg(percentage, 3)
                            .arg(secondsLeft, 0, 'f', 1);
    if (bar == m_lastBar)
        return;
    m_lastBar = bar;
    m_barOpen = true;
    std::printf("\r%s", bar.toLocal8Bit().constData());
    std::fflush(stdout);
}

void ProgressDisplay::message(const QString &text)
{
    finish();
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void ProgressDisplay::finish()
{
    if (!m_barOpen)
        return;
    m_barOpen = false;
    m_lastBar.clear();
    std::printf("\n");
    std::fflush(stdout);
}
