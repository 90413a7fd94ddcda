#ifndef SETCALIBRATIONLISTCMD_H
#define SETCALIBRATIONLISTCMD_H

#include "CalibrationData.h"
#include "ProtoCommand.h"
#include "ProtoCommandParams.h"

//! "SET_CALIB_LIST": replaces the calibration points of the circuits the
//! list names (params = [[CalibrationData struct, ...]]); other circuits keep theirs.
class AXOCOMM_EXPORT SetCalibrationListCmd : public ProtoCommand
{
public:
    //! Replaces the points of the circuits those points name.
    explicit SetCalibrationListCmd(const QList<CalibrationData> &points)
        : ProtoCommand(QStringLiteral("SET_CALIB_LIST"), QList<QVariant>{ProtoCommandParams::listParameter(points)}),
          m_points(points)
    {
    }
    //! The points sent.
    QList<CalibrationData> points() const { return m_points; }
    ProtoCommand *clone() const override { return new SetCalibrationListCmd(*this); }

private:
    QList<CalibrationData> m_points;
};

#endif // SETCALIBRATIONLISTCMD_H
