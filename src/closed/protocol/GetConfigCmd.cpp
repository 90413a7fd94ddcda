#include "GetConfigCmd.h"

GetConfigCmd::GetConfigCmd(int type) : ProtoCommand(QStringLiteral("GET_CONFIG"), QList<QVariant>{type}), m_type(type)
{
}

bool GetConfigCmd::isAValidConfigurationType(int type)
{
    return type == WorkingConfiguration || type == FactoryConfiguration;
}

int GetConfigCmd::decodeConfigTypeValue(const QVariant &value)
{
    bool ok = false;
    const int type = value.toInt(&ok);
    return ok && isAValidConfigurationType(type) ? type : defaultConfigurationType();
}
