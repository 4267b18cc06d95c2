#include "core/Commands.h"

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>

#include "core/ModeTable.h"

namespace k4command {

namespace {

constexpr size_t kFrequencyDigits = 11;
constexpr double kTwoTo63 = 9223372036854775808.0;

std::string fixedTwoDecimals(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(2) << value;
    return text.str();
}

}  // namespace

int64_t hertzFromKilohertz(double kHz) {
    const double hertz = std::trunc(kHz * 1000.0 + 0.5);
    if (std::isnan(hertz)) return 0;
    if (hertz >= kTwoTo63) return std::numeric_limits<int64_t>::max();
    if (hertz < -kTwoTo63) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(hertz);
}

std::string frequencyField(double kHz) {
    std::string digits = std::to_string(hertzFromKilohertz(kHz));
    if (digits.size() < kFrequencyDigits) digits.insert(0, kFrequencyDigits - digits.size(), '0');
    return digits;
}

std::string setSequence(const K4State& state, double xmit, double rcv, int16_t mode, int16_t split) {
    const char modeChar = radioModeChar(state, mode);
    std::string text = "FA" + frequencyField(rcv) + ";MD" + modeChar + ";";
    if (split != 0) text += "FB" + frequencyField(xmit) + ";MD$" + modeChar + ";FT1;";
    else text += "FT0;";
    return text + "KS;";
}

std::string tuneCommand(int32_t amount) { return amount / 10 > 0 ? "UP;" : "DN;"; }

std::string xmitCommand(int32_t state) { return state != 0 ? "TX;" : "RX;"; }

std::string setDetails(double xmit, double rcv, int16_t mode, int16_t split) {
    return fixedTwoDecimals(xmit) + " " + fixedTwoDecimals(rcv) + " " + std::to_string(mode) + " " +
           std::to_string(split);
}

}  // namespace k4command
