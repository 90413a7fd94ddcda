#include "SimStatsQuery.h"

#include "QueryReply.h"

namespace {

// Words, numbers, quoted texts (quotes kept) and the marks , = ;
// An unterminated quote gives an empty list.
QStringList tokenize(const QString &text, bool *ok)
{
    QStringList tokens;
    *ok = true;
    int i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char(',') || c == QLatin1Char('=') || c == QLatin1Char(';') || c == QLatin1Char('*')) {
            tokens.append(QString(c));
            ++i;
        } else if (c == QLatin1Char('\'')) {
            const int end = text.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0) {
                *ok = false;
                return QStringList();
            }
            tokens.append(text.mid(i, end - i + 1));
            i = end + 1;
        } else {
            int end = i;
            while (end < text.size() && (text.at(end).isLetterOrNumber() || text.at(end) == QLatin1Char('_')
                                         || text.at(end) == QLatin1Char('.') || text.at(end) == QLatin1Char('-')))
                ++end;
            if (end == i) {
                *ok = false;
                return QStringList();
            }
            tokens.append(text.mid(i, end - i));
            i = end;
        }
    }
    return tokens;
}

bool isKeyword(const QString &token, const char *keyword)
{
    return token.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool isName(const QString &token)
{
    return !token.isEmpty() && (token.at(0).isLetter() || token.at(0) == QLatin1Char('_'));
}

bool matches(const QString &field, const QString &value)
{
    bool fieldNumber = false;
    bool valueNumber = false;
    const double a = field.toDouble(&fieldNumber);
    const double b = value.toDouble(&valueNumber);
    if (fieldNumber && valueNumber)
        return a == b;
    return field == value;
}

} // namespace

SimStatsQuery::SimStatsQuery(const QString &text)
{
    bool ok = false;
    const QStringList tokens = tokenize(text, &ok);
    if (!ok || !parse(tokens)) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("not a query");
        m_select.clear();
        m_table.clear();
        m_conditions.clear();
    }
}

bool SimStatsQuery::parse(const QStringList &input)
{
    QStringList tokens = input;
    if (!tokens.isEmpty() && tokens.last() == QLatin1String(";"))
        tokens.removeLast();
    int i = 0;
    const auto at = [&](int index) { return index < tokens.size() ? tokens.at(index) : QString(); };
    if (!isKeyword(at(i++), "SELECT"))
        return false;
    if (at(i) == QLatin1String("*")) {
        ++i;
    } else {
        for (;;) {
            if (!isName(at(i)) || isKeyword(at(i), "FROM"))
                return false;
            m_select.append(at(i++).toLower());
            if (at(i) != QLatin1String(","))
                break;
            ++i;
        }
    }
    if (!isKeyword(at(i++), "FROM") || !isName(at(i)))
        return false;
    m_table = at(i++).toLower();
    if (i == tokens.size())
        return true;
    if (!isKeyword(at(i++), "WHERE"))
        return false;
    for (;;) {
        const QString column = at(i);
        const QString value = at(i + 2);
        if (!isName(column) || at(i + 1) != QLatin1String("=") || value.isEmpty() || value == QLatin1String(",")
            || value == QLatin1String(";") || value == QLatin1String("=") || value == QLatin1String("*"))
            return false;
        const bool quoted = value.startsWith(QLatin1Char('\''));
        m_conditions.append(qMakePair(column.toLower(), quoted ? value.mid(1, value.size() - 2) : value));
        i += 3;
        if (i == tokens.size())
            return true;
        if (!isKeyword(at(i++), "AND"))
            return false;
    }
}

bool SimStatsQuery::run(const QStringList &columns, const QList<QStringList> &rows, QString *reply,
                        QString *error) const
{
    const QStringList selected = m_select.isEmpty() ? columns : m_select;
    QList<int> picks;
    for (const QString &name : selected) {
        const int index = columns.indexOf(name);
        if (index < 0) {
            *error = QStringLiteral("no column %1 in %2").arg(name, m_table);
            return false;
        }
        picks.append(index);
    }
    QList<QPair<int, QString>> conditions;
    for (const auto &condition : m_conditions) {
        const int index = columns.indexOf(condition.first);
        if (index < 0) {
            *error = QStringLiteral("no column %1 in %2").arg(condition.first, m_table);
            return false;
        }
        conditions.append(qMakePair(index, condition.second));
    }
    QList<QStringList> out;
    for (const QStringList &row : rows) {
        bool keep = true;
        for (const auto &condition : conditions)
            keep = keep && matches(row.at(condition.first), condition.second);
        if (!keep)
            continue;
        QStringList fields;
        for (int index : picks)
            fields.append(row.at(index));
        out.append(fields);
    }
    *reply = QueryReply::format(selected, out);
    return true;
}
