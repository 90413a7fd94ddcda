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
    //! The state of a circuit's canister.
    enum CircuitState {
        CircuitNormal = 0, //!< above its reserve level
        CircuitReserve = 1, //!< at or below its reserve level
        CircuitEmpty = 2 //!< empty
    };

    //! One circuit's entry.
    struct Circuit
    {
        int position = 0; //!< position, 1 or more
        bool enabled = true; //!< whether the circuit is enabled
        double level = 0.0; //!< colorant in the canister, cc
        int status = CircuitNormal; //!< a CircuitState
    };

    //! An answer without circuits.
    CircuitsStatusAnswer() = default;
    //! An answer with those entries.
    explicit CircuitsStatusAnswer(const QList<Circuit> &circuits) : m_circuits(circuits) {}
    //! The answer of a driver's result; check isValid().
    explicit CircuitsStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The entries, in position order.
    QList<Circuit> circuits() const { return m_circuits; }
    //! The positions of the entries, in order.
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
