#ifndef SIMJSONREADER_H
#define SIMJSONREADER_H

#include "FW_Error.h"

#include <QtCore/QJsonArray>
#include <QtCore/QJsonObject>
#include <QtCore/QString>

#include <initializer_list>

//! Strict reading of one JSON object of a scenario: every member must be
//! known (allow), and of the right kind. The first problem found is kept in
//! the error text the reader was given, with the path of the member
//! ("machines[0].circuits[3].level must be a number of at least 0"); later
//! problems are ignored, so a caller reads on and checks ok() when done.
class SimJsonReader
{
public:
    SimJsonReader(const QJsonObject &object, const QString &path, QString *error);

    bool ok() const { return m_error->isEmpty(); }
    const QString &path() const { return m_path; }

    //! Fails on the first member whose name is not listed.
    void allow(std::initializer_list<const char *> names);
    bool has(const char *name) const { return m_object.contains(QLatin1String(name)); }

    QString string(const char *name, const QString &fallback, bool required = false);
    int integer(const char *name, int fallback, int minimum, bool required = false);
    //! A finite number of at least minimum (above it when strictlyAbove).
    double number(const char *name, double fallback, double minimum, bool strictlyAbove);
    bool boolean(const char *name, bool fallback);
    QJsonArray array(const char *name, bool required = false);
    QJsonObject object(const char *name);

    //! The error record of the members "code" (required, not empty), "msg"
    //! (required) and "type" (0 to 4, default 2, hardware).
    FW_Error errorRecord();

    void fail(const QString &member, const QString &what);
    void fail(const char *member, const QString &what) { fail(QString::fromLatin1(member), what); }

    //! The element at index of an array that must hold objects; false and
    //! the error "path[index] must be an object" otherwise.
    static bool element(const QJsonArray &array, int index, const QString &path, QJsonObject *object,
                        QString *error);

private:
    QJsonObject m_object;
    QString m_path;
    QString *m_error;
};

#endif // SIMJSONREADER_H
