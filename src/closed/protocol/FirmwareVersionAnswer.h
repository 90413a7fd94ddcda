#ifndef FIRMWAREVERSIONANSWER_H
#define FIRMWAREVERSIONANSWER_H

#include "FW_Program.h"
#include "ProtoAnswerT.h"

//! The answer to "READ_FW_VERSION": the program running on the board asked
//! for ({"program": {"board": int, "name": string, "version": FW_Version
//! struct, "bootLoader": bool}}); a board address of at least 1 and either a
//! valid version or a board in its boot loader.
class AXOCOMM_EXPORT FirmwareVersionAnswer : public ValueAnswerT<FirmwareVersionAnswer, FW_Program>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "program";
    //! Only a program of a board that answered (boot loader accepted).
    static bool acceptsValue(const FW_Program &program) { return program.isValid(true); }

    using ValueAnswerT::ValueAnswerT;

    //! The program running on the board.
    FW_Program program() const { return value(); }

    QString answerName() const override { return QStringLiteral("FirmwareVersionAnswer"); }
};

#endif // FIRMWAREVERSIONANSWER_H
