#ifndef FW_MIXER_H
#define FW_MIXER_H

#include "AXOCommGlobal.h"
#include "FW_Machine.h"

#include <QtCore/QMetaType>

//! A mixer: how long it mixes a can by default, the heaviest can it takes and
//! whether it clamps the can by itself.
class AXOCOMM_EXPORT FW_Mixer : public FW_Machine
{
public:
    //! The mixer of that machine number.
    explicit FW_Mixer(int number = 0);

    FW_Mixer *clone() const override { return new FW_Mixer(*this); }

    //! Seconds.
    int mixingTime() const { return m_mixingTime; }
    //! Sets mixingTime().
    void setMixingTime(int seconds) { m_mixingTime = seconds; }
    //! Kilograms.
    double maxLoad() const { return m_maxLoad; }
    //! Sets maxLoad().
    void setMaxLoad(double kg) { m_maxLoad = kg; }
    //! Whether the mixer clamps the can by itself.
    bool hasAutoClamp() const { return m_autoClamp; }
    //! Sets hasAutoClamp().
    void setAutoClamp(bool autoClamp) { m_autoClamp = autoClamp; }

    //! The machine members plus {"mixingTime": int, "maxLoad": double, "autoClamp": bool}
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FW_Mixer fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    bool isEqual(const FW_Machine &other) const override;

private:
    int m_mixingTime = 120;
    double m_maxLoad = 40.0;
    bool m_autoClamp = true;
};

Q_DECLARE_METATYPE(FW_Mixer)

#endif // FW_MIXER_H
