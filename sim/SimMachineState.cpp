#include "SimMachineState.h"

#include "SimEvent.h"

namespace {

template<typename T>
bool assign(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

int SimMachineState::clearErrors()
{
    const int count = m_errors.size();
    m_errors.clear();
    return count;
}

bool SimMachineState::apply(const SimEvent &event)
{
    switch (event.kind()) {
    case SimEvent::RaiseError: {
        FW_ErrorList errors;
        for (const FW_Error &error : m_errors) {
            if (error.errorCode() != event.error().errorCode())
                errors.append(error);
        }
        errors.append(event.error());
        return assign(m_errors, errors);
    }
    case SimEvent::ClearErrors: {
        FW_ErrorList errors;
        for (const FW_Error &error : m_errors) {
            if (!event.code().isEmpty() && error.errorCode() != event.code())
                errors.append(error);
        }
        return assign(m_errors, errors);
    }
    case SimEvent::SetActive: return assign(m_active, event.flag());
    case SimEvent::SetConnected: return assign(m_connected, event.flag());
    case SimEvent::SetDoor: return assign(m_doorOpen, event.flag());
    case SimEvent::SetFirmware: {
        const FW_Version version = event.version();
        return assign(m_firmware, FW_Version(version.majorVersion(), version.minorVersion(), version.build(),
                                             m_firmware.configVersion(), m_firmware.protocolVersion()));
    }
    case SimEvent::SetSensor:
        if (event.text() == QLatin1String("humidity"))
            return assign(m_humidity, event.value());
        if (event.text() == QLatin1String("temperature"))
            return assign(m_temperature, event.value());
        return assign(m_canPresent, event.value() != 0.0);
    default: return false;
    }
}
