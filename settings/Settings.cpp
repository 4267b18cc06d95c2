#include "settings/Settings.h"

#include <algorithm>

#include "platform/Profile.h"
#include "platform/SystemError.h"

namespace settings {

namespace {

constexpr const char* kRemoteAddressesKey = "ELECRAFT_K4_IP_ADDRESSES";
constexpr const char* kDiscoveryPortKey = "ELECRAFT_K4_PORTNUMBER";
constexpr const char* kTcpPortKeyPrefix = "ELECRAFT_K4_TCP_PORTNUMBER_SLOT";
constexpr const char* kSerialEnableKey = "K4onSerialEnable";
constexpr const char* kSavedChoiceKeyPrefix = "K4Slot";
constexpr const char* kLogFolderKey = "LogFileFolder";

constexpr size_t kTextBuffer = 128;
constexpr size_t kSavedChoiceBuffer = 64;
constexpr size_t kLogFolderBuffer = 2048;
// The log folder leaves room in its buffer for the separator, the file name
// "k4logio.log" and the terminator: at most 2037 characters are read.
constexpr DWORD kLogFolderCapacity = 2038;

constexpr const char* kDefaultDiscoveryPort = "9100";
constexpr int kDefaultTcpPort = 9200;
constexpr size_t kLongestPortText = 5;  // "65535"

// A radio's id comes from the network: CR or LF in it would add lines (and
// keys) to the host's file, and NUL would cut it short.
bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Decimal digits only, from 1 to 65535.
bool isPortNumber(const std::string& text) {
    const bool digits = !text.empty() && text.size() <= kLongestPortText &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return false;
    const int number = std::stoi(text);
    return number >= 1 && number <= 65535;
}

template <size_t BufferSize>
std::string readText(const char* key, const char* defaultValue, const char* file, DWORD capacity = BufferSize) {
    char buffer[BufferSize] = {};
    GetPrivateProfileStringA(kSection, key, defaultValue, buffer, capacity, file);
    return buffer;
}

}  // namespace

std::string remoteAddresses() { return readText<kTextBuffer>(kRemoteAddressesKey, "", kFile); }

void setRemoteAddresses(const std::string& addresses) {
    // Stored no longer than it can be read back.
    const std::string stored = addresses.substr(0, kTextBuffer - 1);
    WritePrivateProfileStringA(kSection, kRemoteAddressesKey, stored.c_str(), kFile);
}

std::string discoveryPort() { return readText<kTextBuffer>(kDiscoveryPortKey, kDefaultDiscoveryPort, kFile); }

// The slot's character is '1' plus the slot modulo 256; a character of code 0
// ends the key text where the platform reads it, so it is left out.
std::string tcpPortKey(unsigned short slot) {
    std::string key = kTcpPortKeyPrefix;
    const char slotCharacter = static_cast<char>(static_cast<unsigned char>('1' + slot));
    if (slotCharacter != '\0') key += slotCharacter;
    return key;
}

uint16_t tcpPort(unsigned short slot) {
    const UINT value = GetPrivateProfileIntA(kSection, tcpPortKey(slot).c_str(), kDefaultTcpPort, kFile);
    return static_cast<uint16_t>(value & 0xFFFFu);
}

std::string tcpPortProblem(unsigned short slot) {
    const std::string key = tcpPortKey(slot);
    const std::string text = readText<kTextBuffer>(key.c_str(), "", kFile);
    const uint16_t used = tcpPort(slot);
    const bool isDefault = text.empty() && used == kDefaultTcpPort;
    if (isDefault || isPortNumber(text)) return "";
    return key + "=" + text + " is not a port: the driver uses " + std::to_string(used);
}

bool serialRigEnabled() { return GetPrivateProfileIntA(kSection, kSerialEnableKey, 0, kFileUpper) != 0; }

std::string savedChoiceKey(short slot) { return kSavedChoiceKeyPrefix + std::to_string(int{slot} + 1); }

std::string savedChoice(short slot) {
    return readText<kSavedChoiceBuffer>(savedChoiceKey(slot).c_str(), "", kFile);
}

// The read trims blanks and a pair of quotes and keeps at most 63 bytes, so an
// id can be written that reads back as another radio's id (" X" as "X"). What
// does not read back as written is not kept. A failed write is reported at
// once: a file that refuses it would refuse the removal too.
std::optional<std::string> saveChoice(short slot, const std::string& radioId) {
    const std::string key = savedChoiceKey(slot);
    const auto write = [&](const char* value) -> std::optional<std::string> {
        if (WritePrivateProfileStringA(kSection, key.c_str(), value, kFile)) return std::nullopt;
        return platform::lastSystemError();
    };
    const bool savable = std::none_of(radioId.begin(), radioId.end(), isControlByte);
    if (auto failure = write(savable ? radioId.c_str() : nullptr)) return failure;
    if (savable && savedChoice(slot) != radioId) return write(nullptr);
    return std::nullopt;
}

std::string logFolder() { return readText<kLogFolderBuffer>(kLogFolderKey, "", kFileUpper, kLogFolderCapacity); }

}  // namespace settings
