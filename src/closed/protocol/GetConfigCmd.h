#ifndef GETCONFIGCMD_H
#define GETCONFIGCMD_H

#include "ProtoCommand.h"

//! "GET_CONFIG": reads one of the driver's machine configurations
//! (params = [type]): 0 the working configuration, 1 the factory one.
class AXOCOMM_EXPORT GetConfigCmd : public ProtoCommand
{
public:
    enum ConfigurationType { WorkingConfiguration = 0, FactoryConfiguration = 1 };

    explicit GetConfigCmd(int type = WorkingConfiguration);
    int configurationType() const { return m_type; }
    ProtoCommand *clone() const override { return new GetConfigCmd(*this); }

    static bool isAValidConfigurationType(int type);
    //! The type a GET_CONFIG without parameters reads.
    static int defaultConfigurationType() { return WorkingConfiguration; }
    //! The type a parameter names; the default one for anything else.
    static int decodeConfigTypeValue(const QVariant &value);

private:
    int m_type;
};

#endif // GETCONFIGCMD_H
