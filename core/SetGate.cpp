#include "core/SetGate.h"

#include "core/ResponseParser.h"

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

int32_t lateConfirmations(int32_t setInProgress, std::string_view received) {
    if (received.find("KS") == std::string_view::npos) return 0;
    int32_t confirmations = 0;
    for (size_t end = received.find(';'); end != std::string_view::npos; end = received.find(';')) {
        const std::string response(received.substr(0, end + 1));
        if (isSetConfirmation(separateStrayBytes(response).answer)) ++confirmations;
        received.remove_prefix(end + 1);
    }
    return confirmations > setInProgress ? confirmations - setInProgress : 0;
}
