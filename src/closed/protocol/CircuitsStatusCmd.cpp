#include "CircuitsStatusCmd.h"

#include "FW_Dispenser.h"

namespace {

QList<QVariant> positionsParameter(const QList<int> &positions)
{
    QVariantList list;
    for (int position : positions)
        list.append(position);
    return QList<QVariant>{QVariant(list)};
}

} // namespace

CircuitsStatusCmd::CircuitsStatusCmd(const QList<int> &positions, const FW_Dispenser *dispenser)
    : ProtoCommand(QStringLiteral("GET_CIRCUITS_STATUS"), positionsParameter(positions), dispenser),
      m_positions(positions)
{
}
