#ifndef GETCALIBRATIONLISTCMD_H
#define GETCALIBRATIONLISTCMD_H

#include "ProtoCommand.h"

//! "GET_CALIB_LIST": the calibration points of a dispenser circuit (params =
//! [circuit position]), or of every circuit for position 0.
class AXOCOMM_EXPORT GetCalibrationListCmd : public ProtoCommand
{
public:
    //! The points of the circuit at that position; 0: every circuit.
    explicit GetCalibrationListCmd(int circuit = 0) : ProtoCommand(QStringLiteral("GET_CALIB_LIST"), QList<QVariant>{circuit}), m_circuit(circuit) {}
    //! Position asked for; 0: every circuit.
    int circuit() const { return m_circuit; }
    ProtoCommand *clone() const override { return new GetCalibrationListCmd(*this); }

private:
    int m_circuit;
};

#endif // GETCALIBRATIONLISTCMD_H
