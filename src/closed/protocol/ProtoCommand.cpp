#include "ProtoCommand.h"

#include "AsyncAnswer.h"
#include "FW_DriverError.h"
#include "FW_Machine.h"
#include "ProtoAnswerFactory.h"
#include "XmlRpcAnswer.h"
#include "XmlRpcVariant.h"

#include <QtCore/QHash>

using XmlRpc::XmlRpcValue;

namespace {

// What a machine does while a process command runs.
const QHash<QString, QString> &actionTexts()
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("RESET"), QStringLiteral("Reset")},
        {QStringLiteral("STOP"), QStringLiteral("Stop")},
        {QStringLiteral("TINT"), QStringLiteral("Dispensing")},
        {QStringLiteral("TINT2"), QStringLiteral("Dispensing")},
        {QStringLiteral("CHANNEL_TINT"), QStringLiteral("Dispensing")},
        {QStringLiteral("PURGE"), QStringLiteral("Purge")},
        {QStringLiteral("PRIMING"), QStringLiteral("Priming")},
        {QStringLiteral("PRIMING2"), QStringLiteral("Priming")},
        {QStringLiteral("FIRST_PRIMING"), QStringLiteral("Priming")},
        {QStringLiteral("PACK"), QStringLiteral("Packing")},
        {QStringLiteral("PACK2"), QStringLiteral("Packing")},
        {QStringLiteral("AIRPURGE"), QStringLiteral("Air purge")},
        {QStringLiteral("STIRRING"), QStringLiteral("Stirring")},
        {QStringLiteral("STIR_ALL"), QStringLiteral("Stirring")},
        {QStringLiteral("RECIRCULATION"), QStringLiteral("Recirculation")},
        {QStringLiteral("CLEANING"), QStringLiteral("Cleaning")},
        {QStringLiteral("NOZZLE_CLEAN"), QStringLiteral("Nozzle cleaning")},
        {QStringLiteral("ULTRASOUND_CLEAN"), QStringLiteral("Ultrasound cleaning")},
        {QStringLiteral("MIX"), QStringLiteral("Mixing")},
        {QStringLiteral("MIXER_PLATES"), QStringLiteral("Mixer plates")},
        {QStringLiteral("INIT"), QStringLiteral("Initialisation")},
        {QStringLiteral("AUTOCAP_MOVE"), QStringLiteral("Autocap move")},
        {QStringLiteral("SHELF_MOVE"), QStringLiteral("Shelf move")},
        {QStringLiteral("TURNTABLE_MOVE"), QStringLiteral("Turntable move")},
        {QStringLiteral("TURNTABLE_MOVE_STEPS"), QStringLiteral("Turntable move")},
        {QStringLiteral("TURNTABLE_MOVE_TO_REFILL"), QStringLiteral("Turntable move")},
        {QStringLiteral("PUNCH"), QStringLiteral("Punching")},
        {QStringLiteral("PLUG"), QStringLiteral("Plugging")},
        {QStringLiteral("DEAIRING"), QStringLiteral("Deairing")},
        {QStringLiteral("UPDATE_FW"), QStringLiteral("Firmware update")},
        {QStringLiteral("SEND_FW_PACKAGE"), QStringLiteral("Firmware update")},
        {QStringLiteral("PAUSE"), QStringLiteral("Pause")},
        {QStringLiteral("AUTOTEST"), QStringLiteral("Autotest")},
    };
    return texts;
}

} // namespace

ProtoCommand::ProtoCommand(const QString &name, const QList<QVariant> &parameters, const FW_Machine *machine)
    : m_name(name), m_parameters(parameters), m_machine(machine ? machine->clone() : nullptr)
{
}

ProtoCommand::ProtoCommand(const ProtoCommand &other)
    : m_name(other.m_name),
      m_parameters(other.m_parameters),
      m_machine(other.m_machine ? other.m_machine->clone() : nullptr),
      m_answer(other.m_answer ? other.m_answer->clone() : nullptr)
{
}

ProtoCommand &ProtoCommand::operator=(const ProtoCommand &other)
{
    if (this != &other) {
        m_name = other.m_name;
        m_parameters = other.m_parameters;
        m_machine.reset(other.m_machine ? other.m_machine->clone() : nullptr);
        m_answer.reset(other.m_answer ? other.m_answer->clone() : nullptr);
    }
    return *this;
}

ProtoCommand::~ProtoCommand() = default;

ProtoCommand *ProtoCommand::clone() const
{
    return new ProtoCommand(*this);
}

XmlRpcValue ProtoCommand::paramsToXmlRpc(bool *ok) const
{
    XmlRpcValue params = XmlRpcValue::emptyArray();
    bool converted = true;
    for (int i = 0; converted && i < m_parameters.size(); ++i)
        params[i] = XmlRpcVariant::toXmlRpc(m_parameters.at(i), &converted);
    if (ok)
        *ok = converted;
    return params;
}

XmlRpcValue ProtoCommand::toXmlRpcValue(const QString &sessionID, bool *ok) const
{
    bool converted = false;
    XmlRpcValue call;
    call["proto"] = ProtocolVersion;
    call["cmd"] = m_name.toStdString();
    call["session"] = callSession(sessionID).toStdString();
    call["params"] = paramsToXmlRpc(&converted);
    if (ok)
        *ok = converted && !m_name.isEmpty();
    return call;
}

XmlRpcAnswer *ProtoCommand::createAnswer() const
{
    return ProtoAnswerFactory::create(m_name);
}

bool ProtoCommand::setAnswer(const XmlRpcValue &result, bool async, FW_DriverError *error)
{
    m_answer.reset();
    if (result.getType() == XmlRpcValue::TypeStruct && result.hasMember("faultCode")) {
        if (error) {
            const XmlRpcValue &code = result["faultCode"];
            const XmlRpcValue &text = result["faultString"];
            *error = FW_DriverError(
                QStringLiteral("Driver fault %1 for command %2: %3")
                    .arg(code.getType() == XmlRpcValue::TypeInt ? code.asInt() : 0)
                    .arg(m_name,
                         text.getType() == XmlRpcValue::TypeString ? QString::fromStdString(text.asString())
                                                                   : QString()),
                QStringLiteral("TE20002"));
        }
        return false;
    }
    std::unique_ptr<XmlRpcAnswer> answer(async ? new AsyncAnswer() : createAnswer());
    if (!answer->fromXmlRpcValue(result)) {
        if (error)
            *error = FW_DriverError(QStringLiteral("Invalid answer of command %1").arg(m_name),
                                    QStringLiteral("TE20001"));
        return false;
    }
    m_answer = std::move(answer);
    return true;
}

ProtoAnswer *ProtoCommand::getProtoAnswer(bool *ok) const
{
    if (ok)
        *ok = m_answer != nullptr;
    return m_answer.get();
}

XmlRpcAnswer *ProtoCommand::getXmlRpcAnswer(bool *ok) const
{
    XmlRpcAnswer *answer = dynamic_cast<XmlRpcAnswer *>(m_answer.get());
    if (ok)
        *ok = answer != nullptr && answer->isValid();
    return answer;
}

bool ProtoCommand::setProtoAnswer(const ProtoAnswer *answer)
{
    if (!answer || !dynamic_cast<const XmlRpcAnswer *>(answer))
        return false;
    m_answer.reset(answer->clone());
    return true;
}

void ProtoCommand::clearProtoAnswer()
{
    m_answer.reset();
}

qint64 ProtoCommand::executionTimeEstimate(const FW_Machine *) const
{
    return 0;
}

QString ProtoCommand::commandString() const
{
    if (m_name.isEmpty())
        return defaultCommandString();
    QString text = m_name.toLower().replace(QLatin1Char('_'), QLatin1Char(' '));
    text[0] = text.at(0).toUpper();
    return text;
}

ProtoCommand::TString ProtoCommand::commandActionString() const
{
    return actionTexts().value(m_name);
}

QString ProtoCommand::defaultCommandString()
{
    return QStringLiteral("Unknown command");
}

ProtoCommand::TString ProtoCommand::defaultActionString()
{
    return QStringLiteral("Executing command");
}
