#ifndef GETGRAVSETTINGSCMD_H
#define GETGRAVSETTINGSCMD_H

#include "ProtoCommand.h"

//! "GET_GRAV_SETTINGS": the gravimetric settings of a dispenser's circuits
//! (params = [[position, ...]]; an empty list asks for every circuit).
class AXOCOMM_EXPORT GetGravSettingsCmd : public ProtoCommand
{
public:
    //! Asks for the circuits at those positions; empty: every circuit.
    explicit GetGravSettingsCmd(const QList<int> &circuits = QList<int>())
        : ProtoCommand(QStringLiteral("GET_GRAV_SETTINGS"), QList<QVariant>{positions(circuits)}), m_circuits(circuits)
    {
    }
    //! The positions asked for; empty: every circuit.
    QList<int> circuits() const { return m_circuits; }
    ProtoCommand *clone() const override { return new GetGravSettingsCmd(*this); }

private:
    static QVariant positions(const QList<int> &circuits)
    {
        QVariantList list;
        for (int position : circuits)
            list.append(position);
        return QVariant(list);
    }

    QList<int> m_circuits;
};

#endif // GETGRAVSETTINGSCMD_H
