#ifndef FORMULAPROGRESS_H
#define FORMULAPROGRESS_H

#include "AXOCommGlobal.h"
#include "Formula.h"
#include "FormulaChannel.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

//! How far the dispensing of a formula has got. The driver answers a formula
//! with its channels and a time estimate per ingredient; the client then moves
//! the ingredients from waiting to dosing to done as the dispenser reports
//! which circuit positions are dosing. Progress and time left are measured on
//! the estimates: a channel counts for its slowest ingredient.
class AXOCOMM_EXPORT FormulaProgress
{
public:
    //! No channels.
    FormulaProgress() = default;
    //! The formula's channels, every ingredient waiting.
    explicit FormulaProgress(const Formula &formula);
    // Copies are deep (see FormulaChannel): one may be read in one thread
    // while the original is updated in another.
    //! A deep copy.
    FormulaProgress(const FormulaProgress &other) : m_channels(other.m_channels.cbegin(), other.m_channels.cend()) {}
    //! A deep copy.
    FormulaProgress &operator=(const FormulaProgress &other)
    {
        if (this != &other)
            m_channels = QList<FormulaChannel>(other.m_channels.cbegin(), other.m_channels.cend());
        return *this;
    }
    //! Takes the other's channels.
    FormulaProgress(FormulaProgress &&) = default;
    //! Takes the other's channels.
    FormulaProgress &operator=(FormulaProgress &&) = default;

    //! A new copy, owned by the caller.
    FormulaProgress *clone() const { return new FormulaProgress(*this); }

    //! The channels with each ingredient's state and estimate.
    QList<FormulaChannel> formulaChannels() const { return m_channels; }
    //! Replaces the channels.
    void setFormulaChannels(const QList<FormulaChannel> &channels) { m_channels = channels; }
    //! No channels.
    bool isEmpty() const { return m_channels.isEmpty(); }

    //! 0..100; 100 only once every channel is done (an empty progress is at 0).
    int percentage() const;
    //! Estimated milliseconds still to go; 0 when done.
    qint64 timeLeft() const;
    //! Sum of the channel durations, ms.
    qint64 totalTime() const;
    //! Every channel is done.
    bool isFinished() const;

    //! Takes the positions that are dosing now. The first unfinished channel
    //! that has started or holds one of them is the current one: its
    //! ingredients at those positions are dosing, the rest are done. Channels
    //! before a channel that is dosing have finished; later ones are untouched.
    void updateDosingProcess(const QList<int> &positions);
    //! Moves every ingredient that is behind the channel state (0 waiting,
    //! 1 dosing, 2 done) forward to it; other numbers are ignored.
    void setProcess(int channelState);

    //! The same channels.
    bool operator==(const FormulaProgress &other) const { return m_channels == other.m_channels; }
    //! Not operator==().
    bool operator!=(const FormulaProgress &other) const { return !(*this == other); }

    //! {"channels": [FormulaChannel struct]}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The progress of such a struct; *ok false when it is not one.
    static FormulaProgress fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    qint64 elapsed() const;

    QList<FormulaChannel> m_channels;
};

Q_DECLARE_METATYPE(FormulaProgress)

#endif // FORMULAPROGRESS_H
