#ifndef GETDISPENSEDFORMULACMD_H
#define GETDISPENSEDFORMULACMD_H

#include "ProtoCommand.h"

//! "GET_DISPENSED_FORMULA": what is left of a formula the dispenser did not
//! dispense to its end (params = [which, options]). which 1 is the last
//! interrupted formula (the only one a driver keeps). options is a bit set:
//! 1 (ForgetRecord) makes the driver forget the record once answered, so
//! that the formula is not offered again; 2 (RoundAmounts) rounds the
//! remaining amounts to the dispenser's resolution (0.001 cc). Without
//! ForgetRecord the record stays until a formula of the dispenser ends.
class AXOCOMM_EXPORT GetDispensedFormulaCmd : public ProtoCommand
{
public:
    //! Option: forget the record once answered.
    static const int ForgetRecord = 1;
    //! Option: round the amounts to the dispenser's resolution.
    static const int RoundAmounts = 2;

    //! Asks for a formula (1: the last interrupted) with a set of options.
    GetDispensedFormulaCmd(int which, int options);

    //! Which formula (1: the last interrupted).
    int which() const { return m_which; }
    //! The option bits (ForgetRecord, RoundAmounts).
    int options() const { return m_options; }
    ProtoCommand *clone() const override { return new GetDispensedFormulaCmd(*this); }

private:
    int m_which;
    int m_options;
};

#endif // GETDISPENSEDFORMULACMD_H
