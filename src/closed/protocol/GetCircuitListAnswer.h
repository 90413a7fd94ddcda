#ifndef GETCIRCUITLISTANSWER_H
#define GETCIRCUITLISTANSWER_H

#include "CircuitData.h"
#include "ProtoAnswerT.h"

#include <QtCore/QList>

//! The answer to "GET_CIRCUIT_LIST": the dispenser's circuits in position order ({"circuits": [CircuitData struct]}).
class AXOCOMM_EXPORT GetCircuitListAnswer : public ValueAnswerT<GetCircuitListAnswer, QList<CircuitData>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "circuits";

    using ValueAnswerT::ValueAnswerT;

    //! The circuits, in position order.
    QList<CircuitData> circuitDataList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetCircuitListAnswer"); }
};

#endif // GETCIRCUITLISTANSWER_H
