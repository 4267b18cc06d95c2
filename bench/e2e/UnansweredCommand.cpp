#include "UnansweredCommand.h"

#include <chrono>
#include <thread>

#include "PlainExchange.h"
#include "Polling.h"

namespace e2e {

UnansweredSeries timePollAfterUnanswered(IQbRig* rig, uint16_t radioPort, int count, int gapMs) {
    UnansweredSeries series;
    TcpExchange plain(radioPort);
    PollSampler sampler(rig, CheckPace::yield);
    const auto gap = std::chrono::milliseconds(gapMs);
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(gap);
        series.plainAfterGap.push_back(plain.roundTrip());
        std::this_thread::sleep_for(gap);
        sampler.poll(series.pollAlone);
        std::this_thread::sleep_for(gap);
        LONG hint = 0;
        expectOk(rig->Xmit(1, &hint), "Xmit");
        sampler.poll(series.afterCommand);
        expectOk(rig->Xmit(0, &hint), "Xmit");
    }
    sampler.finish();
    series.incomplete = sampler.incomplete();
    return series;
}

}  // namespace e2e
