// How a simulator and its radios are set up. Every field has a usable
// default, so tests set only what they care about.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Protocol.h"
#include "RadioState.h"

namespace k4sim {

// Misbehaviour of one radio. All of these can be changed while it runs
// (Radio::setFaults); refusing connections is Simulator::setListening.
struct Faults {
    int latencyMs = 0;    // delay before every batch of answers
    int closeAfter = 0;   // close a TCP connection after this many commands (0: never)
    bool silent = false;  // read and record everything, answer nothing
    std::string garbage;  // bytes (no ";") written before every answer
    int cut = 0;          // write only this many bytes of the next answers, then hang up (TCP; 0: off)
    int flood = 0;        // answer each discovery probe with this many datagrams of distinct ids (0: one, normal)
    bool churn = false;   // with flood: the ids move on with every probe, so radios come and go
    int pad = 0;          // discovery answers carry a name this many characters longer
    std::string idTail;   // bytes added to the id in discovery answers (control bytes, say)
    // TCP: stop reading and answering on every connection, new ones included,
    // but keep them open, so that the other side's writes stall once the
    // small receive buffer is full (a radio that lost power or its network).
    // When cleared, the connections it held are reset, as such a radio's
    // would be; later connections are served normally.
    bool halfOpen = false;
    int dripMs = 0;       // TCP: write the answers one byte at a time, this many ms apart (0: off)
    std::string stray;    // bytes (";" allowed, "?;" say) written after every answer
    int64_t setKnobHz = 0;  // at each KS query (a set's confirmation), first move VFO A this many
                            // hertz, as an operator turning the knob while a Set is under way
    // TCP: pause this many ms inside every answer to FB, after its first five
    // bytes, as a delayed segment would (0: off).
    int pauseMs = 0;
    // TCP: stop reading (what was read is still answered) but keep the
    // connections; when cleared, reading resumes on the same connections, so
    // that what the other side wrote meanwhile is then carried out.
    bool stall = false;
};

// The two shapes of a discovery answer.
enum class AnswerShape {
    named,  // k4:<name>:<info>:<id>
    real,   // k4:<index>:<ip address>:<id>, as the radios themselves answer
};

struct RadioOptions {
    std::string name = "K4";
    std::string id = "K4SIM001";
    std::string info = "K4";
    uint16_t port = 9200;     // TCP port; 0 lets the system choose
    std::string bindAddress;  // empty: the simulator's bindAddress
    bool listening = true;    // false: refuse connections from the start
    AnswerShape shape = AnswerShape::named;
    int index = 0;          // second field of a real-shape answer
    std::string ipText;     // third field of a real-shape answer; empty: the address the answer leaves from
    std::string recordFile;  // append this radio's received bytes to the file
    Faults faults;
    ProtocolSettings protocol;
    RadioState initialState;
};

struct SimOptions {
    std::vector<RadioOptions> radios;
    std::string bindAddress = "0.0.0.0";  // default for the radios' TCP listeners
    bool discovery = true;
    uint16_t discoveryPort = 9100;  // 0 lets the system choose
    std::string discoveryBind = "0.0.0.0";
    bool recordInMemory = true;  // keep received bytes and commands for the accessors
    std::string recordFile;      // append every radio's received bytes to this file
    bool pty = false;            // also serve the first radio on a pseudo-terminal (Linux)
    std::string ptyLink;         // make a symbolic link to the terminal under this path
    int controlPort = -1;        // control port (ControlServer) on bindAddress; -1: none, 0: any free port
};

}  // namespace k4sim
