#ifndef GETCALIBRATIONPROFILESANSWER_H
#define GETCALIBRATIONPROFILESANSWER_H

#include "FW_CalibrationProfiles.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_CALIB_PROFILES": the default and custom calibration
//! profiles of the driver's pump models, in one object. The data is the
//! profiles' own struct ({"profiles": [profile struct]}).
class AXOCOMM_EXPORT GetCalibrationProfilesAnswer
    : public ValueAnswerT<GetCalibrationProfilesAnswer, FW_CalibrationProfiles>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The default and custom profiles.
    FW_CalibrationProfiles calibrationProfiles() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetCalibrationProfilesAnswer"); }
};

#endif // GETCALIBRATIONPROFILESANSWER_H
