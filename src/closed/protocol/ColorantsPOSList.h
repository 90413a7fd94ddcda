#ifndef COLORANTSPOSLIST_H
#define COLORANTSPOSLIST_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QString>

//! One colorant of a dispenser as "GET_COLORANT_LIST" reports it: its code,
//! its name and the circuit positions whose canisters hold it (a colorant may
//! sit in more than one canister).
class AXOCOMM_EXPORT ColorantsPOSList
{
public:
    ColorantsPOSList() = default;
    //! A colorant with its code, name and positions.
    ColorantsPOSList(const QString &code, const QString &name, const QList<int> &positions)
        : m_code(code), m_name(name), m_positions(positions)
    {
    }

    //! Colorant code.
    QString colorantCode() const { return m_code; }
    //! Readable colorant name.
    QString colorantName() const { return m_name; }
    //! Positions in ascending order.
    QList<int> positions() const { return m_positions; }

    //! Equal in every field.
    bool operator==(const ColorantsPOSList &other) const;
    //! The negation of operator==.
    bool operator!=(const ColorantsPOSList &other) const { return !(*this == other); }

    //! {"colorant": string (not empty), "name": string, "positions": [int ≥ 1]}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static ColorantsPOSList fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QString m_code;
    QString m_name;
    QList<int> m_positions;
};

Q_DECLARE_METATYPE(ColorantsPOSList)

#endif // COLORANTSPOSLIST_H
