#ifndef GETRECALIBRATIONLISTANSWER_H
#define GETRECALIBRATIONLISTANSWER_H

#include "BasicCalibrationData.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_RECALIB_LIST": {"points": [BasicCalibrationData struct]},
//! by circuit and ascending volume.
class AXOCOMM_EXPORT GetRecalibrationListAnswer : public ValueAnswerT<GetRecalibrationListAnswer, QList<BasicCalibrationData>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "points";

    using ValueAnswerT::ValueAnswerT;

    //! The recalibration points, by circuit and ascending volume.
    QList<BasicCalibrationData> recalibrationList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetRecalibrationListAnswer"); }
};

#endif // GETRECALIBRATIONLISTANSWER_H
