// The near side of the veth discovery test: runs one discovery with the port
// given (and optionally remote addresses) and prints every radio it lists.
// Exits 0 when exactly one radio with the expected id answered from the
// expected address. veth_discovery_test.sh runs it in its own namespaces.
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "discovery/Discovery.h"
#include "log/LogTrail.h"
#include "FakeRadio.h"
#include "support/TempIniFolder.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: veth_discover PORT EXPECTED_ID EXPECTED_ADDRESS [REMOTE_ADDRESSES]\n";
        return 2;
    }
    if (!discoverytest::networkIsPrivate(true)) {
        std::cerr << "veth_discover: refusing to broadcast outside the test namespaces\n";
        return 2;
    }
    testsupport::TempIniFolder ini;
    ini.set("ELECRAFT_K4_PORTNUMBER", argv[1]);
    ini.set("ELECRAFT_K4_IP_ADDRESSES", argc > 4 ? argv[4] : "");

    K4Ip::Discovery discovery(std::shared_ptr<LogTrail>{});
    if (!discovery.start()) {
        std::cerr << "veth_discover: start failed\n";
        return 1;
    }
    auto radios = discovery.discovered();
    for (int i = 0; radios.empty() && i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        radios = discovery.discovered();
    }
    // Let a second answer to the same radio (broadcast and remote) arrive too.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    radios = discovery.discovered();
    discovery.stop();
    ini.erase("ELECRAFT_K4_PORTNUMBER");
    ini.erase("ELECRAFT_K4_IP_ADDRESSES");

    for (const auto& radio : radios)
        std::cout << "listed: id=" << radio.id() << " name=" << radio.name()
                  << " from=" << radio.from().address().to_string() << "\n";
    const bool found = radios.size() == 1 && radios[0].id() == argv[2] &&
                       radios[0].from().address().to_string() == argv[3];
    std::cout << (found ? "veth discovery: found" : "veth discovery: NOT found") << std::endl;
    return found ? 0 : 1;
}
