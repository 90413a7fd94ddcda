#include "QueryReply.h"

namespace {

const QChar kTab(QLatin1Char('\t'));

} // namespace

QueryReply::QueryReply(const QString &text) : m_text(text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines.first().isEmpty())
        return;
    m_columns = lines.takeFirst().split(kTab);
    for (const QString &line : lines) {
        QStringList fields = line.split(kTab);
        while (fields.size() < m_columns.size())
            fields.append(QString());
        m_rows.append(fields.mid(0, m_columns.size()));
    }
}

int QueryReply::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString QueryReply::value(int row, const QString &column) const
{
    const int index = columnIndex(column);
    if (index < 0 || row < 0 || row >= m_rows.size())
        return QString();
    return m_rows.at(row).at(index);
}

QString QueryReply::format(const QStringList &columns, const QList<QStringList> &rows)
{
    if (columns.isEmpty())
        return QString();
    QString text = columns.join(kTab) + QLatin1Char('\n');
    for (const QStringList &row : rows)
        text += row.join(kTab) + QLatin1Char('\n');
    return text;
}
