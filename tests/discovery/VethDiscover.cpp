// The near side of the veth discovery test: runs one discovery with the port
// given (and optionally remote addresses) and prints every radio it lists and
// its log's entries. Exits 0 when exactly one radio with the expected id is
// listed at the expected address. veth_discovery_test.sh runs it in its own
// namespaces.
#include <chrono>
#include <filesystem>
#include <fstream>
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

    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto logFolder = std::filesystem::temp_directory_path() / ("qbox-veth-log-" + std::to_string(stamp));
    std::filesystem::create_directories(logFolder);
    auto log = std::make_shared<LogTrail>();
    log->openInFolder(logFolder.string());
    K4Ip::Discovery discovery(log);
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
    discovery = K4Ip::Discovery();
    log.reset();
    std::ifstream logFile(logFolder / "k4logio.log");
    for (std::string line; std::getline(logFile, line);) std::cout << "log: " << line << "\n";
    logFile.close();
    std::filesystem::remove_all(logFolder);
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
