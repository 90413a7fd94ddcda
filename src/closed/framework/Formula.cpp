#include "Formula.h"

#include "FW_XmlRpcReader.h"

#include <algorithm>

static const int s_formulaType = qRegisterMetaType<Formula>("Formula");

Formula::Formula(const QList<ChannelIngredient> &ingredients, int levelsPolicy, int maxParallelCircuits)
    : m_levelsPolicy(levelsPolicy), m_maxParallel(std::max(1, maxParallelCircuits))
{
    FormulaChannel channel;
    for (const ChannelIngredient &ingredient : ingredients) {
        if (ingredient.amount() <= 0.0)
            continue;
        if (channel.numOfIngredients() == m_maxParallel || channel.containsPosition(ingredient.position())) {
            m_channels.append(channel);
            channel = FormulaChannel();
        }
        channel.addIngredient(ingredient);
    }
    if (channel.numOfIngredients() > 0)
        m_channels.append(channel);
}

Formula::Formula(const QList<FormulaChannel> &channels, int levelsPolicy, int maxParallelCircuits)
    : m_channels(channels), m_levelsPolicy(levelsPolicy), m_maxParallel(std::max(1, maxParallelCircuits))
{
}

QList<ChannelIngredient> Formula::ingredients() const
{
    QList<ChannelIngredient> list;
    for (const FormulaChannel &c : m_channels)
        list.append(c.ingredients());
    return list;
}

int Formula::numOfItems() const
{
    int count = 0;
    for (const FormulaChannel &c : m_channels)
        count += c.numOfIngredients();
    return count;
}

bool Formula::operator==(const Formula &other) const
{
    return m_channels == other.m_channels && m_levelsPolicy == other.m_levelsPolicy
        && m_maxParallel == other.m_maxParallel;
}

XmlRpc::XmlRpcValue Formula::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["levelsPolicy"] = m_levelsPolicy;
    value["maxParallel"] = m_maxParallel;
    XmlRpc::XmlRpcValue &channels = value["channels"];
    channels.setSize(0);
    for (int i = 0; i < m_channels.size(); ++i)
        channels[i] = m_channels.at(i).toXmlRpcValue();
    return value;
}

Formula Formula::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    Formula formula;
    formula.m_levelsPolicy = reader.toInt("levelsPolicy", CheckLevels);
    formula.m_maxParallel = reader.toInt("maxParallel", 1);
    reader.require(formula.m_levelsPolicy >= CheckLevels && formula.m_levelsPolicy <= SkipLevelsCheck
                   && formula.m_maxParallel >= 1);
    const XmlRpc::XmlRpcValue &channels = reader.array("channels");
    for (int i = 0; i < channels.size() && reader.ok(); ++i) {
        bool channelOk = false;
        formula.m_channels.append(FormulaChannel::fromXmlRpcValue(channels[i], &channelOk));
        reader.require(channelOk && formula.m_channels.last().numOfIngredients() <= formula.m_maxParallel);
    }
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? formula : Formula();
}
