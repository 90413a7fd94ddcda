#ifndef GETACTIVECIRCUITSANSWER_H
#define GETACTIVECIRCUITSANSWER_H

#include "ProtoAnswerT.h"

#include <QtCore/QList>

//! The answer to "GET_ACTIVE_CIRCUITS": the process the dispenser runs and,
//! for each circuit position taking part, a bit mask of its state
//! ({"process": int, "positions": [{"position": int, "status": int}]},
//! positions of 1 or more, each at most once, masks of 0 or more).
class AXOCOMM_EXPORT GetActiveCircuitsAnswer : public ProtoAnswerT<GetActiveCircuitsAnswer>
{
public:
    //! Bits of a position's status mask.
    enum CircuitStatusType {
        StatusIdle = 0,
        StatusWaiting = 1, //!< queued in the process
        StatusActive = 2,  //!< running now (e.g. dosing)
        StatusDone = 4,
        StatusError = 8
    };

    GetActiveCircuitsAnswer() = default;
    //! positions and statusMasks pair up by index; extra entries of the longer list are dropped.
    GetActiveCircuitsAnswer(int process, const QList<int> &positions, const QList<int> &statusMasks);
    //! The answer of a driver's result; check isValid().
    explicit GetActiveCircuitsAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The process number (CircuitProcess; the driver may report numbers this software does not know).
    int circuitProcess() const { return m_process; }
    //! The positions listed, in answer order.
    QList<int> positionsIDList() const { return m_positions; }
    //! The masks, paired by index with positionsIDList().
    QList<int> statusMasks() const { return m_masks; }
    //! The mask of a position; -1 when the position is not listed.
    int statusMask(int position) const;
    //! The positions whose mask is exactly statusMask, in answer order.
    QList<int> getPositionsIDForStatusMask(int statusMask) const;
    //! The masks in position order joined with ",", e.g. "2,2,4".
    QString statusTypeMasksStr() const;

    QString answerName() const override { return QStringLiteral("GetActiveCircuitsAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    int m_process = 0;
    QList<int> m_positions;
    QList<int> m_masks;
};

#endif // GETACTIVECIRCUITSANSWER_H
