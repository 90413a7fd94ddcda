#ifndef GETCANISTERLISTANSWER_H
#define GETCANISTERLISTANSWER_H

#include "CanisterData.h"
#include "ProtoAnswerT.h"

#include <QtCore/QList>

class FW_Dispenser;

//! The answer to "GET_CANISTER_LIST": the canisters of the dispenser's
//! circuits with their levels, in position order ({"canisters": [CanisterData
//! struct]}).
class AXOCOMM_EXPORT GetCanisterListAnswer : public ValueAnswerT<GetCanisterListAnswer, QList<CanisterData>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "canisters";

    using ValueAnswerT::ValueAnswerT;

    //! The canisters, in position order.
    QList<CanisterData> canisterDataList() const { return value(); }

    //! Writes the levels into the dispenser's circuits at the same
    //! positions; canisters without a circuit are skipped. True when any
    //! level changed.
    bool updateDispenser(FW_Dispenser &dispenser) const;

    QString answerName() const override { return QStringLiteral("GetCanisterListAnswer"); }
};

#endif // GETCANISTERLISTANSWER_H
