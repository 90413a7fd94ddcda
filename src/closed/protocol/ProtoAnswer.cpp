#include "ProtoAnswer.h"

ProtoAnswer::~ProtoAnswer() = default;

QString ProtoAnswer::retCodeName(int rc)
{
    switch (rc) {
    case RC_OK: return QStringLiteral("RC_OK");
    case RC_ERROR: return QStringLiteral("RC_ERROR");
    case RC_UNKNOWN_COMMAND: return QStringLiteral("RC_UNKNOWN_COMMAND");
    case RC_REFUSED: return QStringLiteral("RC_REFUSED");
    case RC_INVALID_SESSION: return QStringLiteral("RC_INVALID_SESSION");
    case RC_INVALID_PARAMS: return QStringLiteral("RC_INVALID_PARAMS");
    case RC_NOT_SUPPORTED: return QStringLiteral("RC_NOT_SUPPORTED");
    case RC_INTERRUPTED: return QStringLiteral("RC_INTERRUPTED");
    }
    return QStringLiteral("RC_%1").arg(rc);
}
