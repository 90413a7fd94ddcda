#ifndef CIRCUITSSTATUSCMD_H
#define CIRCUITSSTATUSCMD_H

#include "ProtoCommand.h"

class FW_Dispenser;

//! "GET_CIRCUITS_STATUS": level and state of the dispenser's circuits at the
//! given positions (params = [[position, ...]]; an empty list asks for every
//! circuit). The driver answers with a CircuitsStatusAnswer.
class AXOCOMM_EXPORT CircuitsStatusCmd : public ProtoCommand
{
public:
    //! The dispenser configuration is optional: when given, the command
    //! carries it (see ProtoCommand::machine()).
    explicit CircuitsStatusCmd(const QList<int> &positions, const FW_Dispenser *dispenser = nullptr);

    //! The positions asked for; empty: every circuit.
    QList<int> positions() const { return m_positions; }
    ProtoCommand *clone() const override { return new CircuitsStatusCmd(*this); }

private:
    QList<int> m_positions;
};

#endif // CIRCUITSSTATUSCMD_H
