#include "tools/qbhost/DriverGate.h"

#include <iostream>

#include "tools/qbhost/Driver.h"
#include "tools/qbhost/DriverHolder.h"
#include "tools/qbhost/LogAside.h"

namespace qbhost {
namespace {

void refuseWhileHeld(bool force) {
    const DriverHolders holders = findDriverHolders(registeredPaths(findRegistrations()));
    if (force || holders.state == DriverHolders::State::Free) return;
    if (holders.state == DriverHolders::State::Unknown) {
        std::cerr << "qbhost: warning: cannot tell whether another program holds the driver: " << holders.detail
                  << std::endl;
        return;
    }
    throw Failure("another program holds the driver: " + holders.detail +
                      ". It is the logger, as a rule, whose links to the radios qbhost would disturb: close it "
                      "first, or run qbhost with --force",
                  kDriverInUse);
}

}  // namespace

std::vector<std::string> registeredPaths(const Registrations& found) {
    std::vector<std::string> paths;
    for (const ClassRegistration* r : {&found.allUsers, &found.perUser})
        if (r->found) paths.push_back(r->path);
    return paths;
}

void prepareDriverLoad(bool force, std::ostream& out) {
    refuseWhileHeld(force);
    const DriverLog log = moveDriverLogAside();
    if (log.state == DriverLog::State::MovedAside) out << "the driver's log so far is kept as " << log.path << std::endl;
    if (log.state == DriverLog::State::InPlace)
        throw Failure("the driver's log " + log.path + " cannot be moved aside (" + log.whyNotMoved +
                          "): qbhost does not load the driver, which would start the log afresh. Close the program "
                          "that has it open (the logger, as a rule) and try again",
                      kLogInUse);
}

}  // namespace qbhost
