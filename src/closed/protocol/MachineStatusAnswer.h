#ifndef MACHINESTATUSANSWER_H
#define MACHINESTATUSANSWER_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QString>

//! The machine's own part of a driver status: what the machine's control
//! board says about itself (state, error, alarm and warning indications,
//! boot-loader mode). DispenserStatusAnswer and MixerStatusAnswer add the
//! indications of their kind; copies of the right kind are made with clone().
class AXOCOMM_EXPORT MachineStatusAnswer
{
public:
    MachineStatusAnswer() = default;
    virtual ~MachineStatusAnswer();

    //! A copy of the same class; owned by the caller.
    virtual MachineStatusAnswer *clone() const { return new MachineStatusAnswer(*this); }
    //! The class name, e.g. "DispenserStatusAnswer".
    virtual QString answerName() const { return QStringLiteral("MachineStatusAnswer"); }
    //! Same class and same content.
    bool equalTo(const MachineStatusAnswer &other) const;
    //! Same as equalTo().
    bool operator==(const MachineStatusAnswer &other) const { return equalTo(other); }
    //! The negation of operator==.
    bool operator!=(const MachineStatusAnswer &other) const { return !equalTo(other); }

    //! The board's state code and its readable text.
    int state() const { return m_state; }
    //! The readable text of state().
    QString stateText() const { return m_stateText; }
    //! Sets the state code and its text.
    void setState(int code, const QString &text)
    {
        m_state = code;
        m_stateText = text;
    }

    //! The board reports an error (it stopped what it was doing).
    bool hasError() const { return m_error; }
    //! Sets hasError().
    void setError(bool on) { m_error = on; }
    //! The board reports an alarm (a condition that blocks further work).
    bool hasAlarm() const { return m_alarm; }
    //! Sets hasAlarm().
    void setAlarm(bool on) { m_alarm = on; }
    //! Error or alarm.
    bool isErrorCondition() const { return m_error || m_alarm; }
    //! The board reports a warning (work goes on).
    bool hasWarning() const { return m_warning; }
    //! Sets hasWarning().
    void setWarning(bool on) { m_warning = on; }
    //! The board runs its boot loader instead of the application program.
    bool isBootLoaderActive() const { return m_bootLoader; }
    //! Sets isBootLoaderActive().
    void setBootLoaderActive(bool on) { m_bootLoader = on; }
    //! The machine can switch its working mode now (e.g. enable or disable timed processes).
    bool acceptWorkingModeChange() const { return m_workingModeChange; }
    //! Sets acceptWorkingModeChange().
    void setAcceptWorkingModeChange(bool accept) { m_workingModeChange = accept; }

    //! {"state": int, "stateText": string, "error": bool, "alarm": bool,
    //!  "warning": bool, "bootLoader": bool, "workingModeChange": bool} plus the
    //! members of the kind.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Replaces the content by the value's; false (and nothing changed) when
    //! a member is missing or malformed.
    virtual bool fromXmlRpcValue(const XmlRpc::XmlRpcValue &value);

private:
    int m_state = 0;
    QString m_stateText;
    bool m_error = false;
    bool m_alarm = false;
    bool m_warning = false;
    bool m_bootLoader = false;
    bool m_workingModeChange = false;
};

#endif // MACHINESTATUSANSWER_H
