#include "FormulaChannel.h"

#include "FW_XmlRpcReader.h"

#include <algorithm>

bool FormulaChannel::addIngredient(const ChannelIngredient &ingredient)
{
    if (containsPosition(ingredient.position()))
        return false;
    m_ingredients.append(ingredient);
    return true;
}

bool FormulaChannel::containsPosition(int position) const
{
    for (const ChannelIngredient &i : m_ingredients)
        if (i.position() == position)
            return true;
    return false;
}

bool FormulaChannel::containsAnyPosition(const QList<int> &positions) const
{
    for (int position : positions)
        if (containsPosition(position))
            return true;
    return false;
}

QList<int> FormulaChannel::positions() const
{
    QList<int> list;
    for (const ChannelIngredient &i : m_ingredients)
        list.append(i.position());
    return list;
}

ChannelIngredient::DosingState FormulaChannel::state() const
{
    bool allWaiting = true;
    bool allDone = true;
    for (const ChannelIngredient &i : m_ingredients) {
        allWaiting = allWaiting && i.state() == ChannelIngredient::Waiting;
        allDone = allDone && i.state() == ChannelIngredient::Done;
    }
    if (allDone)
        return ChannelIngredient::Done;
    return allWaiting ? ChannelIngredient::Waiting : ChannelIngredient::Dosing;
}

qint64 FormulaChannel::duration() const
{
    qint64 longest = 0;
    for (const ChannelIngredient &i : m_ingredients)
        longest = std::max(longest, i.timeEstimate());
    return longest;
}

qint64 FormulaChannel::elapsed() const
{
    switch (state()) {
    case ChannelIngredient::Waiting:
        return 0;
    case ChannelIngredient::Done:
        return duration();
    case ChannelIngredient::Dosing:
        break;
    }
    qint64 finished = 0;
    for (const ChannelIngredient &i : m_ingredients)
        if (i.state() == ChannelIngredient::Done)
            finished = std::max(finished, i.timeEstimate());
    return finished;
}

void FormulaChannel::update(const QList<int> &activePositions)
{
    for (ChannelIngredient &i : m_ingredients) {
        if (i.state() == ChannelIngredient::Done)
            continue;
        i.setState(activePositions.contains(i.position()) ? ChannelIngredient::Dosing : ChannelIngredient::Done);
    }
}

void FormulaChannel::advanceTo(ChannelIngredient::DosingState state)
{
    for (ChannelIngredient &i : m_ingredients)
        if (i.state() < state)
            i.setState(state);
}

void FormulaChannel::reset()
{
    for (ChannelIngredient &i : m_ingredients)
        i.setState(ChannelIngredient::Waiting);
}

XmlRpc::XmlRpcValue FormulaChannel::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    XmlRpc::XmlRpcValue &ingredients = value["ingredients"];
    ingredients.setSize(0);
    for (int i = 0; i < m_ingredients.size(); ++i)
        ingredients[i] = m_ingredients.at(i).toXmlRpcValue();
    return value;
}

FormulaChannel FormulaChannel::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    FormulaChannel channel;
    const XmlRpc::XmlRpcValue &ingredients = reader.array("ingredients");
    reader.require(ingredients.size() > 0);
    for (int i = 0; i < ingredients.size() && reader.ok(); ++i) {
        bool ingredientOk = false;
        const ChannelIngredient ingredient = ChannelIngredient::fromXmlRpcValue(ingredients[i], &ingredientOk);
        reader.require(ingredientOk && channel.addIngredient(ingredient));
    }
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? channel : FormulaChannel();
}
