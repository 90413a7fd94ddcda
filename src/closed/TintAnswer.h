#ifndef TINTANSWER_H
#define TINTANSWER_H

#include "FormulaChannel.h"
#include "XmlRpcAnswer.h"

#include <QtCore/QList>

//! The answer to "TINT": the formula's channels as the dispenser dosed them,
//! with each ingredient's final state ({"dispensed": [FormulaChannel struct]}).
class AXOCOMM_EXPORT TintAnswer : public XmlRpcAnswer
{
public:
    TintAnswer() = default;
    explicit TintAnswer(const QList<FormulaChannel> &dispensed) : m_dispensed(dispensed) {}
    explicit TintAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    QList<FormulaChannel> dispensedChannels() const { return m_dispensed; }
    //! Every ingredient, channel after channel.
    QList<ChannelIngredient> dispensedIngredients() const;

    ProtoAnswer *clone() const override { return new TintAnswer(*this); }
    QString answerName() const override { return QStringLiteral("TintAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QList<FormulaChannel> m_dispensed;
};

#endif // TINTANSWER_H
