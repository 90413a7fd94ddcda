#ifndef FORMULACHANNEL_H
#define FORMULACHANNEL_H

#include "AXOCommGlobal.h"
#include "ChannelIngredient.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

//! One dosing step of a formula: ingredients at distinct circuit positions
//! that the dispenser doses at the same time. The channels of a formula are
//! dosed one after the other; a channel lasts as long as its slowest ingredient.
class AXOCOMM_EXPORT FormulaChannel
{
public:
    //! A channel without ingredients.
    FormulaChannel() = default;
    // Copies own their ingredients: a progress is updated in place by the
    // thread that follows the dispenser while copies of it are read by the
    // host, and an implicitly shared list would let the two meet.
    //! A deep copy.
    FormulaChannel(const FormulaChannel &other) : m_ingredients(other.m_ingredients.cbegin(), other.m_ingredients.cend()) {}
    //! A deep copy.
    FormulaChannel &operator=(const FormulaChannel &other)
    {
        if (this != &other)
            m_ingredients = QList<ChannelIngredient>(other.m_ingredients.cbegin(), other.m_ingredients.cend());
        return *this;
    }
    //! Takes the other's ingredients.
    FormulaChannel(FormulaChannel &&) = default;
    //! Takes the other's ingredients.
    FormulaChannel &operator=(FormulaChannel &&) = default;

    //! The ingredients, dosed at the same time.
    QList<ChannelIngredient> ingredients() const { return m_ingredients; }
    //! The number of ingredients.
    int numOfIngredients() const { return m_ingredients.size(); }
    //! Adds an ingredient; false when its position is already in the channel.
    bool addIngredient(const ChannelIngredient &ingredient);
    //! An ingredient is at that position.
    bool containsPosition(int position) const;
    //! An ingredient is at one of those positions.
    bool containsAnyPosition(const QList<int> &positions) const;
    //! The ingredients' positions, in order.
    QList<int> positions() const;

    //! Waiting until an ingredient starts, Done when every ingredient is (an
    //! empty channel has nothing left to do), Dosing in between.
    ChannelIngredient::DosingState state() const;
    //! The slowest ingredient's estimate, ms.
    qint64 duration() const;
    //! How much of the duration has passed: all of it when done, the longest
    //! finished ingredient while dosing, nothing while waiting.
    qint64 elapsed() const;

    //! After a poll of the dosing positions: ingredients at an active position
    //! are dosing, the others have finished.
    void update(const QList<int> &activePositions);
    //! Moves every ingredient that is behind `state` forward to it.
    void advanceTo(ChannelIngredient::DosingState state);
    //! Every ingredient back to waiting.
    void reset();

    //! The same ingredients in the same order.
    bool operator==(const FormulaChannel &other) const { return m_ingredients == other.m_ingredients; }
    //! Not operator==().
    bool operator!=(const FormulaChannel &other) const { return !(*this == other); }

    //! {"ingredients": [ChannelIngredient struct]}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The channel of such a struct; *ok false when it is not one.
    static FormulaChannel fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QList<ChannelIngredient> m_ingredients;
};

Q_DECLARE_METATYPE(FormulaChannel)

#endif // FORMULACHANNEL_H
