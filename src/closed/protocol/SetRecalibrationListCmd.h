#ifndef SETRECALIBRATIONLISTCMD_H
#define SETRECALIBRATIONLISTCMD_H

#include "BasicCalibrationData.h"
#include "ProtoCommand.h"
#include "ProtoCommandParams.h"

//! "SET_RECALIB_LIST": replaces the recalibration points of the circuits
//! the list names (params = [[BasicCalibrationData struct, ...]]); other circuits keep theirs.
class AXOCOMM_EXPORT SetRecalibrationListCmd : public ProtoCommand
{
public:
    //! Replaces the points of the circuits those points name.
    explicit SetRecalibrationListCmd(const QList<BasicCalibrationData> &points)
        : ProtoCommand(QStringLiteral("SET_RECALIB_LIST"), QList<QVariant>{ProtoCommandParams::listParameter(points)}),
          m_points(points)
    {
    }
    //! The points sent.
    QList<BasicCalibrationData> points() const { return m_points; }
    ProtoCommand *clone() const override { return new SetRecalibrationListCmd(*this); }

private:
    QList<BasicCalibrationData> m_points;
};

#endif // SETRECALIBRATIONLISTCMD_H
