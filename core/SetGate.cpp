#include "core/SetGate.h"

bool isSetConfirmation(const std::string& response) {
    return response.size() >= 3 && response.compare(0, 2, "KS") == 0;
}

GateVerdict passSetGate(int32_t& setInProgress, const std::string& response) {
    if (setInProgress == 0) return GateVerdict::Parse;
    if (isSetConfirmation(response)) {
        --setInProgress;
        if (setInProgress == 0) return GateVerdict::Parse;
    }
    return GateVerdict::Skip;
}
