// The simulated driver's long processes (RESET, TINT): starting them on
// the clock, their tickets, STOP, the dosing of a formula and what the
// active circuits show meanwhile. Part of SimDriverModel; m_mutex guards
// everything here as in the rest of the model.

#include "SimDriverModel.h"

#include "AsyncAnswer.h"
#include "CircuitProcess.h"
#include "CmdStatus.h"
#include "GetActiveCircuitsAnswer.h"
#include "GetCommandStatusAnswer.h"
#include "ProtoAnswer.h"
#include "TintAnswer.h"

#include <openssl/rand.h>

#include <algorithm>
#include <cmath>

using XmlRpc::XmlRpcValue;

XmlRpcValue SimDriverModel::startReset(const MachineID &machine, const QString &session)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    const XmlRpcValue refused = refusal(*runtime);
    if (refused.valid())
        return refused;
    return startProcess(machine, *runtime, QStringLiteral("RESET"), m_resetMs, Formula(), now, session);
}

XmlRpcValue SimDriverModel::startTint(const MachineID &machine, const XmlRpcValue &formulaValue,
                                      const QString &session)
{
    const QString command = QStringLiteral("TINT");
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    Runtime *runtime = this->runtime(machine);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!runtime || !dispenser || machine.machineType != MachineID::Dispenser)
        return failure(ProtoAnswer::RC_NOT_SUPPORTED, NotSupported);
    const XmlRpcValue refused = refusal(*runtime);
    if (refused.valid())
        return refused;

    bool ok = false;
    const Formula formula = Formula::fromXmlRpcValue(formulaValue, &ok);
    if (!ok || formula.isEmpty())
        return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, command);
    Formula timedFormula;
    QMap<int, double> needed;
    const XmlRpcValue refusedFormula = planFormula(*dispenser, formula, command, &timedFormula, &needed);
    if (refusedFormula.valid())
        return refusedFormula;
    if (formula.levelsManagementPolicy() == Formula::CheckLevels) {
        for (auto it = needed.constBegin(); it != needed.constEnd(); ++it) {
            if (it.value() > m_levels.value(qMakePair(machine.machineNumber, it.key()), 0.0))
                return failure(ProtoAnswer::RC_REFUSED, NotEnoughColorant, QString::number(it.key()));
        }
    }
    int64_t duration = 0;
    for (const FormulaChannel &channel : timedFormula.channels())
        duration += channel.duration();
    return startProcess(machine, *runtime, command, duration, timedFormula, now, session);
}

XmlRpcValue SimDriverModel::planFormula(const FW_Dispenser &dispenser, const Formula &formula, const QString &command,
                                        Formula *timed, QMap<int, double> *needed) const
{
    // Every ingredient on an enabled circuit holding its colorant; the
    // dosing time of each from its volume.
    QList<FormulaChannel> channels;
    for (const FormulaChannel &channel : formula.channels()) {
        FormulaChannel timedChannel;
        for (ChannelIngredient ingredient : channel.ingredients()) {
            const FW_Circuit *circuit = dispenser.circuit(ingredient.position());
            if (!circuit || !circuit->isEnabled() || !(ingredient.amount() > 0.0)
                || (!ingredient.colorantCode().isEmpty() && ingredient.colorantCode() != circuit->colorantCode()))
                return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, command);
            const double cc = ingredient.unit() == ChannelIngredient::Weight && circuit->density() > 0.0
                ? ingredient.amount() / circuit->density()
                : ingredient.amount();
            (*needed)[ingredient.position()] += cc;
            const int64_t ms = m_channelMs > 0 ? m_channelMs
                                               : std::max<int64_t>(1, std::llround(cc / m_dosingRate * 1000.0));
            ingredient.setTimeEstimate(ms);
            ingredient.setState(ChannelIngredient::Waiting);
            timedChannel.addIngredient(ingredient);
        }
        channels.append(timedChannel);
    }
    *timed = Formula(channels, formula.levelsManagementPolicy(), formula.maxParallelCircuits());
    return XmlRpcValue();
}

Formula SimDriverModel::remainderOf(const Formula &formula, int64_t elapsed)
{
    QList<FormulaChannel> channels;
    int64_t offset = 0;
    for (const FormulaChannel &channel : formula.channels()) {
        FormulaChannel left;
        for (const ChannelIngredient &ingredient : channel.ingredients()) {
            const int64_t time = std::max<int64_t>(1, ingredient.timeEstimate());
            const double portion = elapsed >= offset + time ? 1.0
                : elapsed <= offset                          ? 0.0
                                                             : double(elapsed - offset) / double(time);
            const double amount = ingredient.amount() * (1.0 - portion);
            if (amount <= 1e-9)
                continue;
            left.addIngredient(ChannelIngredient(ingredient.position(), ingredient.colorantCode(), amount,
                                                 ingredient.unit()));
        }
        if (!left.ingredients().isEmpty())
            channels.append(left);
        offset += channel.duration();
    }
    return Formula(channels, formula.levelsManagementPolicy(), formula.maxParallelCircuits());
}

XmlRpcValue SimDriverModel::stop(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    const bool running = runtime->process.running;
    if (running) {
        finishProcess(machine, *runtime, now, true);
        changed();
    }
    XmlRpcValue data;
    data["stopped"] = running;
    return okResult(data);
}

XmlRpcValue SimDriverModel::commandStatus(int ticket, const QString &session)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    const auto it = m_tickets.constFind(ticket);
    // Another session's ticket answers like one that never existed.
    if (it == m_tickets.constEnd() || it->session != session)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownTicket, QString::number(ticket));
    CmdStatus status;
    if (it->final) {
        status.setStatus(it->status);
        status.setPercentage(it->percentage);
        status.setTimeLeft(0);
        status.setResultValue(it->result);
    } else {
        const int64_t elapsed = elapsedMs(it->start, now);
        status.setStatus(CmdStatus::CMD_IN_PROGRESS);
        status.setPercentage(runningPercentage(elapsed, it->durationMs));
        status.setTimeLeft(static_cast<int>(std::max<int64_t>(0, it->durationMs - elapsed)));
    }
    return GetCommandStatusAnswer(status).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::activeCircuits(const MachineID &machine, int process)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    const Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    QList<int> positions;
    QList<int> masks;
    const Process &running = runtime->process;
    // The driver reports the process the dispenser runs, which may be
    // another one than asked for.
    if (running.running && running.command == QLatin1String("RESET"))
        return GetActiveCircuitsAnswer(CircuitProcess::Reset, positions, masks).toXmlRpcValue();
    if (process == kDispensingProcess && running.running && running.command == QLatin1String("TINT")) {
        // Channels dose one after the other; the ingredients of a channel together.
        const int64_t elapsed = elapsedMs(running.start, now);
        int64_t offset = 0;
        for (const FormulaChannel &channel : running.formula.channels()) {
            for (const ChannelIngredient &ingredient : channel.ingredients()) {
                const int position = ingredient.position();
                int mask = GetActiveCircuitsAnswer::StatusWaiting;
                if (elapsed >= offset + ingredient.timeEstimate())
                    mask = GetActiveCircuitsAnswer::StatusDone;
                else if (elapsed >= offset)
                    mask = GetActiveCircuitsAnswer::StatusActive;
                const int at = positions.indexOf(position);
                if (at < 0) {
                    positions.append(position);
                    masks.append(mask);
                } else if (masks[at] == GetActiveCircuitsAnswer::StatusDone || mask == GetActiveCircuitsAnswer::StatusActive) {
                    masks[at] = mask; // a position in two channels shows its later use
                }
            }
            offset += channel.duration();
        }
    }
    return GetActiveCircuitsAnswer(process, positions, masks).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::waitForResult(int ticket)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiting;
    m_waitingCond.notify_all();
    XmlRpcValue result;
    for (;;) {
        const Clock::time_point now = Clock::now();
        settle(now);
        const auto it = m_tickets.constFind(ticket);
        if (it == m_tickets.constEnd()) {
            result = failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownTicket, QString::number(ticket));
            break;
        }
        if (it->final) {
            result = it->result;
            break;
        }
        if (m_shutdown) {
            result = failure(ProtoAnswer::RC_INTERRUPTED, Interrupted);
            break;
        }
        m_cond.wait_until(lock, std::min(nextWake(), now + std::chrono::hours(1)));
    }
    --m_waiting;
    m_waitingCond.notify_all();
    return result;
}

void SimDriverModel::forgetTickets()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tickets.clear();
    for (Runtime &runtime : m_machines)
        runtime.process.ticket = 0;
    changed();
}

void SimDriverModel::finishProcess(const MachineID &id, Runtime &runtime, Clock::time_point when, bool interrupted)
{
    runtime.dosed = !interrupted && runtime.process.command != QLatin1String("RESET");
    Process &process = runtime.process;
    const int64_t elapsed = interrupted ? std::min(process.durationMs, elapsedMs(process.start, when))
                                        : process.durationMs;
    const bool tint = process.command == QLatin1String("TINT");
    if (tint) {
        dose(id.machineNumber, process.formula, elapsed);
        // What a gravimetric dispenser dosed stays on its scale.
        if (const int scale = gravimetricScale(id.machineNumber))
            m_scaleLoads[scale] += dosedGrams(id.machineNumber, process.formula, elapsed);
        // The rest of an interrupted formula is kept for recovery; a
        // formula dispensed to its end ends the record.
        if (interrupted) {
            m_data.setInterrupted(id.machineNumber, remainderOf(process.formula, elapsed));
        } else {
            m_data.clearInterrupted(id.machineNumber);
            m_data.ussCycle(id.machineNumber);
        }
    }

    auto ticket = m_tickets.find(process.ticket);
    if (ticket != m_tickets.end()) {
        ticket->final = true;
        ticket->end = when;
        if (interrupted) {
            ticket->status = CmdStatus::CMD_INTERRUPTED;
            ticket->percentage = runningPercentage(elapsed, process.durationMs);
            ticket->result = failure(ProtoAnswer::RC_INTERRUPTED, Interrupted);
        } else {
            ticket->status = CmdStatus::CMD_DONE;
            ticket->percentage = 100;
            if (tint) {
                QList<FormulaChannel> dispensed;
                for (FormulaChannel channel : process.formula.channels()) {
                    channel.advanceTo(ChannelIngredient::Done);
                    dispensed.append(channel);
                }
                ticket->result = TintAnswer(dispensed).toXmlRpcValue();
            } else {
                ticket->result = okResult(XmlRpcValue::emptyStruct());
            }
        }
    }
    process = Process();
}

void SimDriverModel::dose(int dispenser, const Formula &formula, int64_t elapsed)
{
    const FW_Dispenser *config = m_configuration.getDispenserById(dispenser);
    int64_t offset = 0;
    for (const FormulaChannel &channel : formula.channels()) {
        for (const ChannelIngredient &ingredient : channel.ingredients()) {
            const int64_t time = std::max<int64_t>(1, ingredient.timeEstimate());
            const double portion = elapsed >= offset + time ? 1.0
                : elapsed <= offset                          ? 0.0
                                                             : double(elapsed - offset) / double(time);
            const FW_Circuit *circuit = config ? config->circuit(ingredient.position()) : nullptr;
            const double cc = ingredient.unit() == ChannelIngredient::Weight && circuit && circuit->density() > 0.0
                ? ingredient.amount() / circuit->density()
                : ingredient.amount();
            double &level = m_levels[qMakePair(dispenser, ingredient.position())];
            level = std::max(0.0, level - cc * portion);
        }
        offset += channel.duration();
    }
}

XmlRpcValue SimDriverModel::startProcess(const MachineID &machine, Runtime &runtime, const QString &command,
                                         int64_t durationMs, const Formula &formula, Clock::time_point now,
                                         const QString &session)
{
    purge(now);
    const int id = newTicket();
    Ticket ticket;
    ticket.session = session;
    ticket.command = command;
    ticket.machine = machine;
    ticket.start = now;
    ticket.durationMs = durationMs;
    ticket.status = CmdStatus::CMD_IN_PROGRESS;
    m_tickets.insert(id, ticket);

    Process &process = runtime.process;
    process.running = true;
    runtime.dosed = false;
    process.ticket = id;
    process.command = command;
    process.start = now;
    process.durationMs = durationMs;
    process.formula = formula;
    changed();
    return AsyncAnswer(id).toXmlRpcValue();
}

int SimDriverModel::newTicket() const
{
    int id = 0;
    do {
        unsigned int random = 0;
        RAND_bytes(reinterpret_cast<unsigned char *>(&random), sizeof random);
        id = static_cast<int>(random & 0x7fffffff);
    } while (id == 0 || m_tickets.contains(id));
    return id;
}

XmlRpcValue SimDriverModel::refusal(const Runtime &runtime) const
{
    if (!runtime.state.isUp() || runtime.process.running)
        return failure(ProtoAnswer::RC_REFUSED, MachineBusy);
    return XmlRpcValue();
}
