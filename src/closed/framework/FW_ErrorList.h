#ifndef FW_ERRORLIST_H
#define FW_ERRORLIST_H

#include "AXOCommGlobal.h"
#include "FW_CmdRefusedError.h"
#include "FW_ConfError.h"
#include "FW_DriverError.h"
#include "FW_Error.h"
#include "FW_HwError.h"

#include <QtCore/QList>

//! An ordered list of error records.
class AXOCOMM_EXPORT FW_ErrorList
{
public:
    //! An empty list.
    FW_ErrorList() = default;

    //! Adds the record at the end (a copy, as an FW_Error: the kind is kept in errorType()).
    void append(const FW_Error &error) { m_errors.append(error); }
    //! Adds the records of the other list at the end.
    void append(const FW_ErrorList &errors) { m_errors.append(errors.m_errors); }
    //! Removes every record.
    void clear() { m_errors.clear(); }
    //! The number of records.
    int size() const { return m_errors.size(); }
    //! No record.
    bool isEmpty() const { return m_errors.isEmpty(); }
    //! The record at index, which must be valid.
    const FW_Error &operator[](int index) const { return m_errors.at(index); }
    //! The record at index, which must be valid.
    const FW_Error &at(int index) const { return m_errors.at(index); }
    //! For range-for over the records.
    QList<FW_Error>::const_iterator begin() const { return m_errors.constBegin(); }
    //! For range-for over the records.
    QList<FW_Error>::const_iterator end() const { return m_errors.constEnd(); }

    //! An equal record (same kind, code and message) is in the list.
    bool contains(const FW_Error &error) const { return m_errors.contains(error); }
    //! A record with that code is in the list.
    bool containsCode(const QString &code) const;
    //! Keeps only the records of that kind.
    void deleteAllErrorsExcept(FW_Error::ErrorType type);
    //! Removes the records of that kind.
    void deleteAllErrorsTypes(FW_Error::ErrorType type);
    //! The records of that kind, in order.
    FW_ErrorList filterErrorTypes(FW_Error::ErrorType type) const;
    //! The driver error records, in order.
    FW_ErrorList getDriverErrors() const { return filterErrorTypes(FW_Error::DriverError); }

    //! The same records in the same order.
    bool operator==(const FW_ErrorList &other) const { return m_errors == other.m_errors; }
    //! Not operator==().
    bool operator!=(const FW_ErrorList &other) const { return !(*this == other); }

    //! Each record's errorText() on a line of its own.
    QString toText() const;

    //! An array of error structs.
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The list of such an array; *ok false when it is not one.
    static FW_ErrorList fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QList<FW_Error> m_errors;
};

Q_DECLARE_METATYPE(FW_ErrorList)

#endif // FW_ERRORLIST_H
