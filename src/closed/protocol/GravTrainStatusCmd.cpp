#include "GravTrainStatusCmd.h"

GravTrainStatusCmd::GravTrainStatusCmd(int position)
    : ProtoCommand(QStringLiteral("GRAV_TRAINING_STATUS"), QList<QVariant>{position}), m_position(position)
{
}
