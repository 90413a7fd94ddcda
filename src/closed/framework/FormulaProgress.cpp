#include "FormulaProgress.h"

#include "FW_XmlRpcReader.h"

static const int s_progressType = qRegisterMetaType<FormulaProgress>("FormulaProgress");

FormulaProgress::FormulaProgress(const Formula &formula) : m_channels(formula.channels())
{
    for (FormulaChannel &channel : m_channels)
        channel.reset();
}

qint64 FormulaProgress::totalTime() const
{
    qint64 total = 0;
    for (const FormulaChannel &c : m_channels)
        total += c.duration();
    return total;
}

qint64 FormulaProgress::elapsed() const
{
    qint64 done = 0;
    for (const FormulaChannel &c : m_channels)
        done += c.elapsed();
    return done;
}

bool FormulaProgress::isFinished() const
{
    if (m_channels.isEmpty())
        return false;
    for (const FormulaChannel &c : m_channels)
        if (c.state() != ChannelIngredient::Done)
            return false;
    return true;
}

int FormulaProgress::percentage() const
{
    if (isFinished())
        return 100;
    const qint64 total = totalTime();
    if (total <= 0)
        return 0;
    // Not finished: never report 100 on estimates alone.
    return static_cast<int>(qMin<qint64>(99, elapsed() * 100 / total));
}

qint64 FormulaProgress::timeLeft() const
{
    return isFinished() ? 0 : totalTime() - elapsed();
}

void FormulaProgress::updateDosingProcess(const QList<int> &positions)
{
    for (int i = 0; i < m_channels.size(); ++i) {
        FormulaChannel &channel = m_channels[i];
        const ChannelIngredient::DosingState state = channel.state();
        if (state == ChannelIngredient::Done)
            continue;
        if (state == ChannelIngredient::Waiting && !channel.containsAnyPosition(positions)) {
            // It finished unseen between two polls if a later channel is dosing already.
            bool laterActive = false;
            for (int j = i + 1; j < m_channels.size() && !laterActive; ++j)
                laterActive = m_channels.at(j).state() != ChannelIngredient::Done
                    && m_channels.at(j).containsAnyPosition(positions);
            if (!laterActive)
                return;
            channel.advanceTo(ChannelIngredient::Done);
            continue;
        }
        channel.update(positions);
        if (channel.state() != ChannelIngredient::Done)
            return;
    }
}

void FormulaProgress::setProcess(int channelState)
{
    if (channelState < ChannelIngredient::Waiting || channelState > ChannelIngredient::Done)
        return;
    for (FormulaChannel &channel : m_channels)
        channel.advanceTo(static_cast<ChannelIngredient::DosingState>(channelState));
}

XmlRpc::XmlRpcValue FormulaProgress::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    XmlRpc::XmlRpcValue &channels = value["channels"];
    channels.setSize(0);
    for (int i = 0; i < m_channels.size(); ++i)
        channels[i] = m_channels.at(i).toXmlRpcValue();
    return value;
}

FormulaProgress FormulaProgress::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    FormulaProgress progress;
    const XmlRpc::XmlRpcValue &channels = reader.array("channels");
    for (int i = 0; i < channels.size() && reader.ok(); ++i) {
        bool channelOk = false;
        progress.m_channels.append(FormulaChannel::fromXmlRpcValue(channels[i], &channelOk));
        reader.require(channelOk);
    }
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? progress : FormulaProgress();
}
