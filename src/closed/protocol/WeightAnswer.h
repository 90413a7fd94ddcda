#ifndef WEIGHTANSWER_H
#define WEIGHTANSWER_H

#include "MachineID.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_CURRENT_WEIGHT": what the scale of a gravimetric
//! dispenser weighs now ({"scale": MachineID struct, "weight": double,
//! "unit": string, "stable": bool}).
class AXOCOMM_EXPORT WeightAnswer : public ProtoAnswerT<WeightAnswer>
{
public:
    WeightAnswer() = default;
    //! A reading of that scale: weight, unit and whether it is stable.
    WeightAnswer(const MachineID &scale, double weight, const QString &unit, bool stable)
        : m_scale(scale), m_weight(weight), m_unit(unit), m_stable(stable)
    {
    }
    //! The answer of a driver's result; check isValid().
    explicit WeightAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The scale that weighed.
    MachineID scaleID() const { return m_scale; }
    //! The weight, in unit().
    double weight() const { return m_weight; }
    //! The unit of the weight, e.g. "g".
    QString unit() const { return m_unit; }
    //! The reading settled (no movement on the scale).
    bool isStable() const { return m_stable; }

    //! Same as equalTo().
    bool operator==(const WeightAnswer &other) const { return equalTo(&other); }
    //! The negation of operator==.
    bool operator!=(const WeightAnswer &other) const { return !equalTo(&other); }

    QString answerName() const override { return QStringLiteral("WeightAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    MachineID m_scale;
    double m_weight = 0.0;
    QString m_unit;
    bool m_stable = false;
};

#endif // WEIGHTANSWER_H
