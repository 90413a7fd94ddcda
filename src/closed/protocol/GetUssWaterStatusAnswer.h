#ifndef GETUSSWATERSTATUSANSWER_H
#define GETUSSWATERSTATUSANSWER_H

#include "ProtoAnswerT.h"
#include "UssWaterChangeStatus.h"

//! The answer to "GET_USS_W_STATUS": the water-change status of the
//! dispenser's ultrasonic nozzle cleaner (the data is the status struct).
class AXOCOMM_EXPORT GetUssWaterStatusAnswer : public ValueAnswerT<GetUssWaterStatusAnswer, UssWaterChangeStatus>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The water-change status.
    UssWaterChangeStatus ussWaterChangeStatus() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetUssWaterStatusAnswer"); }
};

#endif // GETUSSWATERSTATUSANSWER_H
