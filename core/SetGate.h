// The set-in-progress gate. A Set ends with the query "KS;"; until the radio
// has confirmed every pending Set with a "KS" answer, the answers it had
// queued before the Set are stale and must not overwrite the values the Set
// stored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class GateVerdict { Parse, Skip };

// A response of at least three characters that begins with "KS".
bool isSetConfirmation(const std::string& response);

// Decides the fate of one response and counts confirmations off
// setInProgress. The last awaited confirmation itself passes.
GateVerdict passSetGate(int32_t& setInProgress, const std::string& response);

// The complete responses among `received` may hold "KS" answers of Sets
// whose wait timed out before the answers were taken in: the answers before
// such a one are older than its Set all the same. Returns how many more
// Sets the gate must await so that it skips them: the batch's
// confirmations beyond those it awaits already.
int32_t lateConfirmations(int32_t setInProgress, std::string_view received);
