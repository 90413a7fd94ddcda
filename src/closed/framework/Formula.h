#ifndef FORMULA_H
#define FORMULA_H

#include "AXOCommGlobal.h"
#include "ChannelIngredient.h"
#include "FormulaChannel.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

//! A recipe to dispense: its channels (dosing steps, dosed in order), how the
//! dispenser treats canister levels and how many circuits it may run at once.
class AXOCOMM_EXPORT Formula
{
public:
    //! Whether the driver checks the canister levels first.
    enum LevelsManagementPolicy {
        CheckLevels = 0,    //!< refuse the formula when a canister holds too little
        SkipLevelsCheck = 1 //!< dose without checking (a resumed formula was checked already)
    };

    //! An empty formula.
    Formula() = default;
    //! Groups the ingredients, in order, into channels of at most
    //! maxParallelCircuits ingredients at distinct positions (a value below 1
    //! counts as 1). Ingredients without a positive amount are left out.
    Formula(const QList<ChannelIngredient> &ingredients, int levelsPolicy, int maxParallelCircuits);
    //! The channels as given (a maxParallelCircuits below 1 counts as 1).
    Formula(const QList<FormulaChannel> &channels, int levelsPolicy, int maxParallelCircuits);

    //! A new copy, owned by the caller.
    Formula *clone() const { return new Formula(*this); }

    //! The channels, dosed one after the other.
    QList<FormulaChannel> channels() const { return m_channels; }
    //! Every ingredient, channel after channel.
    QList<ChannelIngredient> ingredients() const;
    //! Number of ingredients.
    int numOfItems() const;
    //! No ingredient.
    bool isEmpty() const { return numOfItems() == 0; }

    //! A LevelsManagementPolicy value.
    int levelsManagementPolicy() const { return m_levelsPolicy; }
    //! Sets the levels policy.
    void setLevelsManagementPolicy(int policy) { m_levelsPolicy = policy; }
    //! The most circuits a channel doses at once.
    int maxParallelCircuits() const { return m_maxParallel; }

    //! Same channels, policy and parallelism.
    bool operator==(const Formula &other) const;
    //! Not operator==().
    bool operator!=(const Formula &other) const { return !(*this == other); }

    //! {"levelsPolicy": int, "maxParallel": int, "channels": [FormulaChannel struct]}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The formula of such a struct; *ok false when it is not one.
    static Formula fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QList<FormulaChannel> m_channels;
    int m_levelsPolicy = CheckLevels;
    int m_maxParallel = 1;
};

Q_DECLARE_METATYPE(Formula)

#endif // FORMULA_H
