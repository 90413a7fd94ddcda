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
    //! No drivers.
    NEDriverParamsList();
    //! A copy.
    NEDriverParamsList(const NEDriverParamsList &other);
    //! Those drivers, in order.
    explicit NEDriverParamsList(const QList<NEDriverParams> &list);
    //! Parses the text form; unreadable entries are skipped, the others get
    //! driver IDs 1, 2, ... in order.
    explicit NEDriverParamsList(const QString &paramString);
    //! A copy.
    NEDriverParamsList &operator=(const NEDriverParamsList &other);
    //! Frees the list.
    ~NEDriverParamsList();

    //! Appends a driver.
    void appendNEDriverParams(const NEDriverParams &params);
    //! The driver at index, which must be valid.
    NEDriverParams at(int index) const { return m_list.at(index); }
    //! For range-for over the drivers.
    QList<NEDriverParams>::const_iterator begin() const { return m_list.constBegin(); }
    //! For range-for over the drivers.
    QList<NEDriverParams>::const_iterator end() const { return m_list.constEnd(); }
    //! The number of drivers.
    int numOfDrivers() const { return m_list.size(); }
    //! Any driver.
    bool hasDrivers() const { return !m_list.isEmpty(); }
    //! Replaces the driver at index.
    void replaceParams(int index, const NEDriverParams &params);

    //! The driver of that ID; *found false (and defaults) when there is none.
    NEDriverParams getDriverParamsForDriver(int driverID, bool *found = nullptr) const;
    //! Replaces the driver of that ID; false when there is none.
    bool setDriverParamsForDriver(int driverID, const NEDriverParams &params);
    //! Removes the driver of that ID; false when there is none.
    bool removeNEDriverParamsForDriver(int driverID);
    //! A driver has that endpoint (address and port).
    bool hasAXODriverConnection(const AXODriverConnection &connection) const;

    //! The text form the string constructor reads.
    QString toParamString() const;

private:
    QList<NEDriverParams> m_list;
};

#endif // NEDRIVERPARAMSLIST_H
