#ifndef GRAVTRAINSTATUSCMD_H
#define GRAVTRAINSTATUSCMD_H

#include "ProtoCommand.h"

//! "GRAV_TRAINING_STATUS": where the gravimetric training of the session's
//! dispenser stands, for one circuit position or (0) the dispenser as a
//! whole (params = [position: int ≥ 0]). Answered by GravTrainStatusAnswer.
class AXOCOMM_EXPORT GravTrainStatusCmd : public ProtoCommand
{
public:
    //! Asks about the circuit at that position; 0: the whole dispenser.
    explicit GravTrainStatusCmd(int position);

    //! Position asked about; 0: the whole dispenser.
    int position() const { return m_position; }
    ProtoCommand *clone() const override { return new GravTrainStatusCmd(*this); }

private:
    int m_position;
};

#endif // GRAVTRAINSTATUSCMD_H
