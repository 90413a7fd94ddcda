#include "TintAnswer.h"

QList<ChannelIngredient> TintAnswer::dispensedIngredients() const
{
    QList<ChannelIngredient> ingredients;
    for (const FormulaChannel &channel : value())
        ingredients.append(channel.ingredients());
    return ingredients;
}
