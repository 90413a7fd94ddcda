#ifndef SCALESTATUSANSWER_H
#define SCALESTATUSANSWER_H

#include "MachineID.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_SCALE_STATUS" for a dispenser: whether the scale it
//! weighs on is there and answering, which scale that is, and the unit of
//! its weights ({"present": bool, "scale": MachineID struct, "unit": string};
//! the scale is {0, 2} when the dispenser has none).
class AXOCOMM_EXPORT ScaleStatusAnswer : public ProtoAnswerT<ScaleStatusAnswer>
{
public:
    ScaleStatusAnswer() = default;
    //! An answer with the presence flag, the scale and the weight unit.
    ScaleStatusAnswer(bool present, const MachineID &scale, const QString &unit)
        : m_present(present), m_scale(scale), m_unit(unit)
    {
    }
    //! The answer of a driver's result; check isValid().
    explicit ScaleStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The leading flag: the scale is fitted, connected and in service, so
    //! its weight can be read.
    bool isPresent() const { return m_present; }
    //! The scale the dispenser weighs on; {0, 2} when it has none.
    MachineID scaleID() const { return m_scale; }
    //! Unit of the scale's weights.
    QString unit() const { return m_unit; }

    QString answerName() const override { return QStringLiteral("ScaleStatusAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    bool m_present = false;
    MachineID m_scale;
    QString m_unit;
};

#endif // SCALESTATUSANSWER_H
