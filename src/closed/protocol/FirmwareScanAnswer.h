#ifndef FIRMWARESCANANSWER_H
#define FIRMWARESCANANSWER_H

#include "FW_Program.h"
#include "ProtoAnswerT.h"

//! The answer to "FW_SCAN": the programs of the machine's slave boards
//! ({"programs": [FW_Program struct]}); the master board is not among them.
class AXOCOMM_EXPORT FirmwareScanAnswer : public ValueAnswerT<FirmwareScanAnswer, QList<FW_Program>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "programs";

    using ValueAnswerT::ValueAnswerT;

    //! The programs of the slave boards.
    QList<FW_Program> slaveFwVersions() const { return value(); }

    QString answerName() const override { return QStringLiteral("FirmwareScanAnswer"); }
};

#endif // FIRMWARESCANANSWER_H
