// The requests of the control port (ControlServer), one line each, words
// separated by blanks; RADIO is a radio's name. Every answer is one line:
// "ok", "ok " and data, or "error " and the reason.
//   state RADIO            ok fa=HZ fb=HZ split=0|1 fr=0|1 mode=N submode=N
//                          dt=N dt$=N bw=N bw$=N ks=N tx=0|1 rejected=N
//                          (rejected: commands answered "?;" so far)
//   faults RADIO KEY=VALUE...   set faults by their radio keys (k4sim --help);
//                          the others stay as they are
//   clear RADIO            no faults at all
//   reboot RADIO MS        hang up, refuse connections for MS milliseconds,
//                          then accept again; the state is kept
//   inject RADIO N         send N bytes without ";" on every open connection;
//                          ok connections=N: how many it went to
//   connections RADIO      ok open=N opened=N received=BYTES sent=BYTES:
//                          connections open now and opened in all, bytes
//                          read and written, since the start
//   held RADIO             ok fa=HZ,HZ... fb=HZ,... mode=N,... split=0,1:
//                          every value held since the last "held" request
#pragma once

#include <string>

namespace k4sim {

class Simulator;

// Carries out one request on the simulator's thread and returns its answer.
std::string controlAnswer(Simulator& simulator, const std::string& request);

}  // namespace k4sim
