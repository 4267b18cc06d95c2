// A radio behind the serial rig's fake port, for qbhost's tests on an
// injected clock: it keys on "TX;", unkeys on "RX;", and answers each poll
// (with `answer`) and each "KS;" 50 ms after it was written, as long as the
// test lets it; act() reads what the rig wrote and delivers what is due.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/RigHarness.h"

namespace qbhosttest {

class FakeRadio {
public:
    static constexpr platform::Nanos kLatency = 50 * coretest::kMillisecond;

    // answering(unkeySeen): whether the radio answers what is written now.
    FakeRadio(testsupport::FakeRigIO& port, std::string answer, std::function<bool(bool unkeySeen)> answering)
        : port_(port), answer_(std::move(answer)), answering_(std::move(answering)) {}

    void act(platform::Nanos now) {
        const auto& writes = port_.writes();
        for (; read_ < writes.size(); ++read_) {
            const std::string& text = writes[read_].bytes;
            if (text.find("TX;") != std::string::npos) keyed = true, keyedAt = now;
            if (text.find("RX;") != std::string::npos) keyed = false, unkeyedAt = now, unkeySeen_ = true;
            if (!answering_(unkeySeen_)) continue;
            if (text.find("KS;") != std::string::npos) due_.push_back({now + kLatency, "KS020;"});
            if (text.find("MD$;") != std::string::npos) due_.push_back({now + kLatency, answer_});
        }
        while (!due_.empty() && due_.front().first <= now) {
            port_.queueBytes(due_.front().second);
            due_.erase(due_.begin());
        }
    }

    bool keyed = false;
    platform::Nanos keyedAt = -1, unkeyedAt = -1;

private:
    testsupport::FakeRigIO& port_;
    const std::string answer_;
    const std::function<bool(bool)> answering_;
    size_t read_ = 0;
    std::vector<std::pair<platform::Nanos, std::string>> due_;
    bool unkeySeen_ = false;
};

}  // namespace qbhosttest
