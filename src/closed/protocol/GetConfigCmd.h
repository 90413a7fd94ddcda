#ifndef GETCONFIGCMD_H
#define GETCONFIGCMD_H

#include "ProtoCommand.h"

//! "GET_CONFIG": reads one of the driver's machine configurations
//! (params = [type]): 0 the working configuration, 1 the factory one.
class AXOCOMM_EXPORT GetConfigCmd : public ProtoCommand
{
public:
    //! Which configuration is read.
    enum ConfigurationType { WorkingConfiguration = 0, FactoryConfiguration = 1 };

    //! Reads the configuration of that type.
    explicit GetConfigCmd(int type = WorkingConfiguration);
    //! The type read (a ConfigurationType).
    int configurationType() const { return m_type; }
    ProtoCommand *clone() const override { return new GetConfigCmd(*this); }

    //! Whether the type is a ConfigurationType.
    static bool isAValidConfigurationType(int type);
    //! The type a GET_CONFIG without parameters reads.
    static int defaultConfigurationType() { return WorkingConfiguration; }
    //! The type a parameter names; the default one for anything else.
    static int decodeConfigTypeValue(const QVariant &value);

private:
    int m_type;
};

#endif // GETCONFIGCMD_H
