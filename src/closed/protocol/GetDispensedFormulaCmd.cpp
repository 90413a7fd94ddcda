#include "GetDispensedFormulaCmd.h"

GetDispensedFormulaCmd::GetDispensedFormulaCmd(int which, int options)
    : ProtoCommand(QStringLiteral("GET_DISPENSED_FORMULA"), QList<QVariant>{which, options}),
      m_which(which),
      m_options(options)
{
}
