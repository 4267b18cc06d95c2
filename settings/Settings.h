// The driver's settings, all in section "RIGS" of the host's INI file. Each
// is read at the moment of use and never cached, with its default when the
// file or key is missing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

inline constexpr const char* kFile = "quillbox.ini";
inline constexpr const char* kFileUpper = "QUILLBOX.INI";
inline constexpr const char* kSection = "RIGS";

// ELECRAFT_K4_IP_ADDRESSES: remote radio addresses, at most 127 characters.
std::string remoteAddresses();
void setRemoteAddresses(const std::string& addresses);

// ELECRAFT_K4_PORTNUMBER: the discovery port text, default "9100".
std::string discoveryPort();

// ELECRAFT_K4_TCP_PORTNUMBER_SLOT + one character: a slot's TCP port,
// default 9200, low 16 bits of the value.
std::string tcpPortKey(unsigned short slot);
uint16_t tcpPort(unsigned short slot);
// The slot's TCP port value named when it is not a port number from 1 to
// 65535, with the port the driver takes from it:
// "ELECRAFT_K4_TCP_PORTNUMBER_SLOT1=70000 is not a port: the driver uses 4464".
// Empty when the value is such a number, or missing or empty (the default).
std::string tcpPortProblem(unsigned short slot);

// K4onSerialEnable: non-zero offers the serial rig.
bool serialRigEnabled();

// K4Slot + (slot + 1): the id of the radio last chosen for a host slot, at
// most 63 characters when read back. An id that holds a control byte (below
// 0x20, or 0x7F: CR, LF, NUL, tab...) is never written, and one that does not
// read back exactly as written (a leading or trailing blank, a pair of
// quotes, 64 bytes or more) is not kept: saving either removes the key, so
// the slot has no saved choice rather than the radio it had before, or
// another radio that the changed text would name. A write the file does not
// take (not writable, or not a file) gives the system's error text.
std::string savedChoiceKey(short slot);
std::string savedChoice(short slot);
std::optional<std::string> saveChoice(short slot, const std::string& radioId);

// LogFileFolder: the log folder, empty when logging is off.
std::string logFolder();

}  // namespace settings
