#ifndef SETGRAVSETTINGSCMD_H
#define SETGRAVSETTINGSCMD_H

#include "CircuitGravSettings.h"
#include "ProtoCommand.h"
#include "ProtoCommandParams.h"

//! "SET_GRAV_SETTINGS": the gravimetric settings of the circuits the
//! list names (params = [[CircuitGravSettings struct, ...]]).
class AXOCOMM_EXPORT SetGravSettingsCmd : public ProtoCommand
{
public:
    //! Sets the settings of the circuits those entries name.
    explicit SetGravSettingsCmd(const QList<CircuitGravSettings> &points)
        : ProtoCommand(QStringLiteral("SET_GRAV_SETTINGS"), QList<QVariant>{ProtoCommandParams::listParameter(points)}),
          m_points(points)
    {
    }
    //! The settings sent.
    QList<CircuitGravSettings> settings() const { return m_points; }
    ProtoCommand *clone() const override { return new SetGravSettingsCmd(*this); }

private:
    QList<CircuitGravSettings> m_points;
};

#endif // SETGRAVSETTINGSCMD_H
