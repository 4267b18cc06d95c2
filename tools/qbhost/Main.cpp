// qbhost: checks a K4 link without the logger by driving the registered
// driver through COM exactly as the logger does.
#include <iostream>
#include <string>
#include <vector>

#include "QboxVersion.h"
#include "tools/qbhost/Commands.h"

int main(int argc, char** argv) {
    std::string error;
    const auto options = qbhost::parseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options) {
        std::cerr << "qbhost: " << error << "\n(qbhost --help shows the usage)\n";
        return qbhost::kUsage;
    }
    if (options->command == "help") {
        std::cout << qbhost::kUsageText;
        return qbhost::kOk;
    }
    if (options->command == "version") {
        std::cout << "qbhost " << QBOX_VERSION_TEXT << '\n';
        return qbhost::kOk;
    }
    try {
        return qbhost::runCommand(*options, std::cout);
    } catch (const qbhost::Failure& failure) {
        std::cout << std::flush;
        std::cerr << "qbhost: " << failure.what() << '\n';
        return failure.exitCode;
    } catch (const std::exception& e) {
        std::cerr << "qbhost: " << e.what() << '\n';
        return qbhost::kFailed;
    }
}
