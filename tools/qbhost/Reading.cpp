#include "tools/qbhost/Reading.h"

#include "core/Commands.h"
#include "core/ModeTable.h"

namespace qbhost {
namespace {

bool sameHertz(double aKhz, double bKhz) {
    return k4command::hertzFromKilohertz(aKhz) == k4command::hertzFromKilohertz(bKhz);
}

}  // namespace

RigReading readRig(IQbRig* rig) {
    RigReading r;
    rig->GetFrequency(&r.txKhz, &r.rxKhz, &r.mode, &r.primaryVfo, &r.split);
    return r;
}

SetRequest setRequest(double rxKhz, const double* txKhz, short mode) {
    SetRequest request{rxKhz, txKhz ? *txKhz : rxKhz, mode, 0};
    request.split = sameHertz(request.txKhz, rxKhz) ? 0 : 1;
    return request;
}

short reportedMode(short setMode) {
    const RadioMode* mode = radioModeFor(static_cast<char>('0' + setMode));
    return mode ? static_cast<short>(mode->hostMode) : setMode;
}

bool agrees(const RigReading& reading, const SetRequest& request) {
    return sameHertz(reading.rxKhz, request.rxKhz) && sameHertz(reading.txKhz, request.txKhz) &&
           reading.split == request.split && reading.mode == reportedMode(request.mode);
}

CurrentMode currentMode(IQbRig* rig, PollWatch& watch) {
    CurrentMode current;
    watch.start();
    current.outcome = watch.awaitAnswer();
    if (current.outcome != PollWatch::Outcome::Answered) return current;
    current.mode = readRig(rig).mode;
    watch.waitOutPoll();
    return current;
}

}  // namespace qbhost
