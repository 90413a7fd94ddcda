#ifndef GETCALIBRATIONLISTANSWER_H
#define GETCALIBRATIONLISTANSWER_H

#include "CalibrationData.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_CALIB_LIST": {"points": [CalibrationData struct]},
//! by circuit and ascending volume.
class AXOCOMM_EXPORT GetCalibrationListAnswer : public ValueAnswerT<GetCalibrationListAnswer, QList<CalibrationData>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "points";

    using ValueAnswerT::ValueAnswerT;

    //! The calibration points, by circuit and ascending volume.
    QList<CalibrationData> calibrationList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetCalibrationListAnswer"); }
};

#endif // GETCALIBRATIONLISTANSWER_H
