// What the two halves of the live-state benchmark share: the clock, the
// machines, the library brought up against a driver and taken down again.

#ifndef BENCH_LIVESTATE_H
#define BENCH_LIVESTATE_H

#include "AXOCommData.h"
#include "MachineID.h"

#include <benchmark/benchmark.h>

#include <QtCore/QList>

#include <chrono>
#include <cstdint>
#include <string>

namespace livestate {

typedef std::chrono::steady_clock Clock;

const MachineID kMixer2(2, MachineID::Mixer);
const char *const kIdleSecondsVariable = "AXOCOMM_BENCH_IDLE_SECONDS";

[[noreturn]] void die(const std::string &message);
double secondsBetween(Clock::time_point start, Clock::time_point stop);
//! Runs the host thread's event loop for ms.
void runEventLoop(int ms);

//! Registers a driver at port, starts its threads as the communication
//! manager would at level, logs in; the driver's ID.
int connectLibrary(uint16_t port, AXOCommData::CommLevel level, const QList<MachineID> &dispensers,
                   const QList<MachineID> &mixers);
//! Polling threads running for the machines.
int countPollingThreads(int driverID, const QList<MachineID> &machines);
void disconnectLibrary();

//! AXOCOMM_BENCH_IDLE_SECONDS, 30 by default.
int idleSeconds();
void idleProcess(benchmark::State &state);
void idleInProcess(benchmark::State &state);

} // namespace livestate

#endif // BENCH_LIVESTATE_H
