#ifndef GETCOLORANTUSAGESTATSCMD_H
#define GETCOLORANTUSAGESTATSCMD_H

#include "CanisterColorantUsage.h"
#include "PositionColorantUsage.h"
#include "ProtoCommand.h"

#include <QtCore/QStringList>

//! "GET_COL_USAGE_STATS": how much colorant the circuits of a dispenser,
//! named by its serial number, have dispensed. Three selections:
//! - by colorant: the circuits holding that colorant code;
//! - by canister (CanisterColorantUsage): the circuit holding that
//!   canister number (≥ 1);
//! - by position (PositionColorantUsage): the circuit at that position, or
//!   every circuit for position 0.
//! Each narrows further to the colorant codes listed (none: all) and to at
//! most limit entries in position order (0: no limit).
//! params = [{serial: string, by: "colorant" | "canister" | "position",
//!            value: string (by colorant) or int, colorants: [string], limit: int}]
class AXOCOMM_EXPORT GetColorantUsageStatsCmd : public ProtoCommand
{
public:
    //! How the circuits are selected.
    enum Selection { ByColorant, ByCanister, ByPosition };

    //! Selects by colorant code.
    GetColorantUsageStatsCmd(const QString &serialNumber, const QString &colorant, const QStringList &colorants,
                             int limit);
    //! Selects by canister number.
    GetColorantUsageStatsCmd(const QString &serialNumber, CanisterColorantUsage, int canister,
                             const QStringList &colorants, int limit);
    //! Selects by position (0: every circuit).
    GetColorantUsageStatsCmd(const QString &serialNumber, PositionColorantUsage, int position,
                             const QStringList &colorants, int limit);

    //! Serial number of the dispenser.
    QString serialNumber() const { return m_serial; }
    //! The selection.
    Selection selection() const { return m_selection; }
    //! The colorant code selected by colorant.
    QString colorant() const { return m_colorant; }
    //! The canister or position number of the other two selections.
    int number() const { return m_number; }
    //! The colorant codes the selection narrows to; empty: all.
    QStringList colorants() const { return m_colorants; }
    //! Most entries returned; 0: no limit.
    int limit() const { return m_limit; }

    ProtoCommand *clone() const override { return new GetColorantUsageStatsCmd(*this); }

    //! The wire name of a selection ("colorant", "canister", "position").
    static QString selectionName(Selection selection);
    //! The command from its parameters [serial, selection name, value,
    //! colorants, limit]; null when they are not that.
    static GetColorantUsageStatsCmd *fromParameters(const QList<QVariant> &parameters);

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    GetColorantUsageStatsCmd(const QString &serialNumber, Selection selection, const QString &colorant, int number,
                             const QStringList &colorants, int limit);

    QString m_serial;
    Selection m_selection;
    QString m_colorant;
    int m_number = 0;
    QStringList m_colorants;
    int m_limit = 0;
};

#endif // GETCOLORANTUSAGESTATSCMD_H
