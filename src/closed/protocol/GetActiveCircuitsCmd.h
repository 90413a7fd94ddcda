#ifndef GETACTIVECIRCUITSCMD_H
#define GETACTIVECIRCUITSCMD_H

#include "CircuitProcess.h"
#include "ProtoCommand.h"

class FW_Version;

//! "GET_ACTIVE_CIRCUITS": which circuit positions take part in a running
//! process of the dispenser, and in what state (params = [process]). The
//! driver answers with a GetActiveCircuitsAnswer.
class AXOCOMM_EXPORT GetActiveCircuitsCmd : public ProtoCommand
{
public:
    //! Asks for the circuits of that process.
    explicit GetActiveCircuitsCmd(CircuitProcess process);

    //! The process asked about.
    CircuitProcess process() const { return m_process; }
    ProtoCommand *clone() const override { return new GetActiveCircuitsCmd(*this); }

    //! Whether a dispenser whose firmware has that version reports the
    //! circuits of the process: the firmware version must be known (valid),
    //! the processes 1-10 need protocol version 2 or later, the processes
    //! 11-14 version 4 or later; process 0 (none) and unknown numbers never are.
    static bool isCircuitProcessSupported(int process, const FW_Version &version);

private:
    CircuitProcess m_process;
};

#endif // GETACTIVECIRCUITSCMD_H
