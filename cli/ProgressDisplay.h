#ifndef PROGRESSDISPLAY_H
#define PROGRESSDISPLAY_H

#include <QtCore/QString>

//! The progress of a command followed by ticket: a bar redrawn in place on
//! a terminal, or one plain line per change of the percentage otherwise
//! (for logs and pipes).
class ProgressDisplay
{
public:
    enum Mode {
        Lines, //!< "  progress  40%  (3.0 s left)", one line per change
        Bar    //!< "  [########------------]  40%  3.0 s left", redrawn in place
    };

    explicit ProgressDisplay(Mode mode) : m_mode(mode) {}
    //! A bar when standard output is a terminal, lines otherwise.
    static Mode automatic();

    void show(int percentage, double secondsLeft);
    //! Prints a line of its own, below a bar being drawn.
    void message(const QString &text);
    //! Ends the bar's line; nothing for lines.
    void finish();

private:
    Mode m_mode;
    int m_shown = -1;
    QString m_lastBar;
    bool m_barOpen = false;
};

#endif // PROGRESSDISPLAY_H
