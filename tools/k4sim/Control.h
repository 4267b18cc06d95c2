// The requests of the control port (ControlServer), one line each, words
// separated by blanks; RADIO is a radio's name. Every answer is one line:
// "ok", "ok " and data, or "error " and the reason.
//   state RADIO            ok fa=HZ fb=HZ split=0|1 fr=0|1 mode=N submode=N
//                          dt=N dt$=N bw=N bw$=N ks=N tx=0|1 rejected=N
//                          (rejected: commands answered "?;" so far)
//   faults RADIO KEY=VALUE...   set faults by their radio keys (k4sim --help),
//                          refuse among them; the others stay as they are
//   clear RADIO            no faults at all, the port listening
//   reboot RADIO MS        hang up, refuse connections for MS milliseconds,
//                          then accept again; the state is kept
//   inject RADIO N         send N bytes without ";" on every open connection;
//                          ok connections=N: how many it went to
//   connections RADIO      ok open=N opened=N received=BYTES sent=BYTES:
//                          connections open now and opened in all, bytes
//                          read and written, since the start
//   knob RADIO KEY=VALUE...   change the state as the operator would (VFO
//                          knobs, mode and split buttons): fa=HZ fb=HZ
//                          mode=N split=0|1; ok seq=N, the number of the
//                          whole state it made
//   history RADIO FROM     ok now=SEQ followed by every whole state from
//                          number FROM on, oldest first, each as
//                          SEQ:MS:FA:FB:MODE:SPLIT:TX:CAUSE (MS since the
//                          radio was made; CAUSE i initial, c a command,
//                          u a tuning step, k the knob request, f the
//                          set-knob fault, s a state set by a test)
//   answers RADIO FROM     ok now=N rejected=N followed by every answer
//                          that ended an exchange, from number FROM on,
//                          oldest first, each as NUMBER:CONNECTION:SEQ:KIND
//                          once its last byte was written (KIND p a poll's
//                          MD$ answer, k a Set's KS answer; SEQ the number
//                          of the whole state when it was carried out);
//                          rejected as in state
//   unread RADIO           ok unread=BYTES: the most bytes seen waiting
//                          unread on a connection the half-open fault held,
//                          since the fault was last switched on
#pragma once

#include <string>

namespace k4sim {

class Simulator;

// Carries out one request on the simulator's thread and returns its answer.
std::string controlAnswer(Simulator& simulator, const std::string& request);

}  // namespace k4sim
