#include "FormulaText.h"

#include <QtCore/QRegularExpression>
#include <QtCore/QSet>
#include <QtCore/QStringList>

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool FormulaText::parse(const QString &text, Formula &formula, QString *error)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    const QStringList items = text.split(separators, Qt::SkipEmptyParts);
    if (items.isEmpty())
        return fail(error, QStringLiteral("the formula is empty"));
    QList<ChannelIngredient> ingredients;
    QSet<int> positions;
    for (const QString &item : items) {
        const QStringList parts = item.split(QLatin1Char(':'));
        bool positionOk = false;
        bool amountOk = false;
        const int position = parts.value(0).toInt(&positionOk);
        const double amount = parts.value(1).toDouble(&amountOk);
        if (parts.size() != 2 || !positionOk || !amountOk)
            return fail(error, QStringLiteral("\"%1\" is not position:amount").arg(item));
        if (position < 1)
            return fail(error, QStringLiteral("circuit position %1 is below 1").arg(position));
        if (!(amount > 0.0))
            return fail(error, QStringLiteral("the amount for circuit %1 is not above 0").arg(position));
        if (positions.contains(position))
            return fail(error, QStringLiteral("circuit %1 is named twice").arg(position));
        positions.insert(position);
        ingredients.append(ChannelIngredient(position, QString(), amount));
    }
    formula = Formula(ingredients, Formula::CheckLevels, kParallelCircuits);
    return true;
}

QString FormulaText::format(const Formula &formula)
{
    QStringList items;
    for (const FormulaChannel &channel : formula.channels())
        for (const ChannelIngredient &ingredient : channel.ingredients())
            items << QStringLiteral("%1:%2").arg(ingredient.position()).arg(ingredient.amount());
    return items.join(QStringLiteral(", "));
}
