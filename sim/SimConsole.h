#ifndef SIMCONSOLE_H
#define SIMCONSOLE_H

#include "SimControl.h"

#include <cstdio>
#include <thread>

//! Reads control lines (SimControl) from a file descriptor on a thread of
//! its own, standard input for axodriver-sim --control, and writes each
//! reply on a line of the output. The end of the input ends the reading
//! only; stop() ends it at any time and returns promptly.
class SimConsole
{
public:
    SimConsole(SimDriverModel &model, int inputFd, FILE *output);
    ~SimConsole();

    SimConsole(const SimConsole &) = delete;
    SimConsole &operator=(const SimConsole &) = delete;

    //! False when the wake-up pipe cannot be made.
    bool start();
    void stop();

private:
    void run();

    SimControl m_control;
    int m_input;
    FILE *m_output;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

#endif // SIMCONSOLE_H
