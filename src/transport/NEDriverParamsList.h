#ifndef NEDRIVERPARAMSLIST_H
#define NEDRIVERPARAMSLIST_H

#include "AXOCommGlobal.h"
#include "NEDriverParams.h"

#include <QtCore/QList>
#include <QtCore/QString>

//! The registered drivers in insertion order, with a one-line text form
//! ("address:port" entries joined by "|") the host can store and pass back.
class AXOCOMM_EXPORT NEDriverParamsList
{
public:
    NEDriverParamsList();
    NEDriverParamsList(const NEDriverParamsList &other);
    explicit NEDriverParamsList(const QList<NEDriverParams> &list);
    //! Parses the text form; unreadable entries are skipped, the others get
    //! driver IDs 1, 2, ... in order.
    explicit NEDriverParamsList(const QString &paramString);
    NEDriverParamsList &operator=(const NEDriverParamsList &other);
    ~NEDriverParamsList();

    void appendNEDriverParams(const NEDriverParams &params);
    NEDriverParams at(int index) const { return m_list.at(index); }
    QList<NEDriverParams>::const_iterator begin() const { return m_list.constBegin(); }
    QList<NEDriverParams>::const_iterator end() const { return m_list.constEnd(); }
    int numOfDrivers() const { return m_list.size(); }
    bool hasDrivers() const { return !m_list.isEmpty(); }
    void replaceParams(int index, const NEDriverParams &params);

    NEDriverParams getDriverParamsForDriver(int driverID, bool *found = nullptr) const;
    bool setDriverParamsForDriver(int driverID, const NEDriverParams &params);
    bool removeNEDriverParamsForDriver(int driverID);
    bool hasAXODriverConnection(const AXODriverConnection &connection) const;

    QString toParamString() const;

private:
    QList<NEDriverParams> m_list;
};

#endif // NEDRIVERPARAMSLIST_H
