#ifndef CIRCUITSSTATUSANSWER_H
#define CIRCUITSSTATUSANSWER_H

#include "ProtoAnswerT.h"

#include <QtCore/QList>

//! The answer to "GET_CIRCUITS_STATUS": one entry per circuit asked for, in
//! position order ({"circuits": [{"position": int, "enabled": bool,
//! "level": double, "status": int}]}, positions of 1 or more, each once,
//! levels in cc of 0 or more, status one of CircuitState).
class AXOCOMM_EXPORT CircuitsStatusAnswer : public ProtoAnswerT<CircuitsStatusAnswer>
{
public:
    enum CircuitState {
        CircuitNormal = 0,
        CircuitReserve = 1, //!< at or below its reserve level
        CircuitEmpty = 2
    };

    struct Circuit
    {
        int position = 0;
        bool enabled = true;
        double level = 0.0;
        int status = CircuitNormal;
    };

    CircuitsStatusAnswer() = default;
    explicit CircuitsStatusAnswer(const QList<Circuit> &circuits) : m_circuits(circuits) {}
    explicit CircuitsStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    QList<Circuit> circuits() const { return m_circuits; }
    QList<int> positionsIDList() const;
    //! The entry of that position; false when it is not listed.
    bool circuit(int position, Circuit *out) const;

    QString answerName() const override { return QStringLiteral("CircuitsStatusAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QList<Circuit> m_circuits;
};

#endif // CIRCUITSSTATUSANSWER_H
