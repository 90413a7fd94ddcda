#ifndef GETDRIVERSETTINGSANSWER_H
#define GETDRIVERSETTINGSANSWER_H

#include "DriverSettings.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_DRIVER_SETTINGS": the settings the driver runs with.
//! The data is the settings' own struct (DriverSettings::toXmlRpcValue).
class AXOCOMM_EXPORT GetDriverSettingsAnswer : public ValueAnswerT<GetDriverSettingsAnswer, DriverSettings>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The settings the driver runs with.
    DriverSettings driverSettings() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetDriverSettingsAnswer"); }
};

#endif // GETDRIVERSETTINGSANSWER_H
