#ifndef GETRECALIBRATIONLISTCMD_H
#define GETRECALIBRATIONLISTCMD_H

#include "ProtoCommand.h"

//! "GET_RECALIB_LIST": the recalibration points of a dispenser circuit
//! (params = [circuit position]), or of every circuit for position 0.
class AXOCOMM_EXPORT GetRecalibrationListCmd : public ProtoCommand
{
public:
    //! The points of the circuit at that position; 0: every circuit.
    explicit GetRecalibrationListCmd(int circuit = 0) : ProtoCommand(QStringLiteral("GET_RECALIB_LIST"), QList<QVariant>{circuit}), m_circuit(circuit) {}
    //! Position asked for; 0: every circuit.
    int circuit() const { return m_circuit; }
    ProtoCommand *clone() const override { return new GetRecalibrationListCmd(*this); }

private:
    int m_circuit;
};

#endif // GETRECALIBRATIONLISTCMD_H
