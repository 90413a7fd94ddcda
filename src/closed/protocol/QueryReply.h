#ifndef QUERYREPLY_H
#define QUERYREPLY_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QStringList>

//! The reply of a statistics query as a table. The text is lines separated
//! by "\n" (a "\r" before it is dropped, as is a last empty line): the first
//! line names the columns, each further line is one row; the fields of a line
//! are separated by tabs. A row with fewer fields than there are columns has
//! empty ones; fields beyond the columns are dropped. A text whose first line is
//! empty is an empty table (no columns, no rows).
class AXOCOMM_EXPORT QueryReply
{
public:
    //! An empty table.
    QueryReply() = default;
    //! Reads the table from the reply text.
    explicit QueryReply(const QString &text);

    //! The text the table was read from.
    QString text() const { return m_text; }
    //! Whether the table has no columns.
    bool isEmpty() const { return m_columns.isEmpty(); }

    //! The column names.
    QStringList columns() const { return m_columns; }
    //! Index of the column of that name (case-insensitive); -1 when none.
    int columnIndex(const QString &name) const;
    //! Number of rows.
    int rowCount() const { return m_rows.size(); }
    //! Every row, each with as many fields as columns.
    QList<QStringList> rows() const { return m_rows; }
    //! One row, as many fields as columns; empty for a row not there.
    QStringList row(int index) const { return m_rows.value(index); }
    //! The field of a row in the named column; empty when either is not there.
    QString value(int row, const QString &column) const;

    //! Same text (the table is read from it).
    bool operator==(const QueryReply &other) const { return m_text == other.m_text; }
    //! The negation of operator==.
    bool operator!=(const QueryReply &other) const { return !(*this == other); }

    //! The text of a table: the inverse of the constructor.
    static QString format(const QStringList &columns, const QList<QStringList> &rows);

private:
    QString m_text;
    QStringList m_columns;
    QList<QStringList> m_rows;
};

Q_DECLARE_METATYPE(QueryReply)

#endif // QUERYREPLY_H
