#ifndef SIMSTATSQUERY_H
#define SIMSTATSQUERY_H

#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QString>
#include <QtCore/QStringList>

//! One statistics query of the simulated driver, in the small language
//! docs/protocol.md describes:
//!
//!     SELECT * | column [, column ...] FROM table
//!         [WHERE column = value [AND column = value ...]] [;]
//!
//! Keywords and names are case-insensitive; a value is a number or a
//! text in single quotes. A condition holds when the field equals the value
//! as a number (both numbers) or as text.
class SimStatsQuery
{
public:
    //! Reads a query; on failure isValid() is false and error() tells why.
    explicit SimStatsQuery(const QString &text);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    //! The table named after FROM, lower case.
    QString table() const { return m_table; }

    //! Runs the query on a table of those columns and rows: the reply text
    //! (QueryReply's layout). False and *error when it names a column the
    //! table does not have.
    bool run(const QStringList &columns, const QList<QStringList> &rows, QString *reply, QString *error) const;

private:
    bool parse(const QStringList &tokens);

    QString m_error;
    QStringList m_select; // empty: every column
    QString m_table;
    QList<QPair<QString, QString>> m_conditions;
};

#endif // SIMSTATSQUERY_H
