// The simulator's pseudo-terminal (Linux): a serial client opens the
// printed path (or the link to it), writes commands and reads answers; the
// terminal is raw, shares the radio with the TCP port, and survives the
// client closing and reopening it.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "k4sim/Simulator.h"
#include "SimClient.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class SerialClient {
public:
    explicit SerialClient(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~SerialClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    void send(const std::string& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

    // Reads until `count` ";" have come or five seconds have passed.
    std::string readAnswers(long count) {
        const auto deadline = Clock::now() + 5s;
        std::string got;
        while (std::count(got.begin(), got.end(), ';') < count && Clock::now() < deadline) {
            pollfd wanted{fd_, POLLIN, 0};
            if (::poll(&wanted, 1, 100) <= 0) continue;
            char buffer[256];
            const ssize_t size = ::read(fd_, buffer, sizeof buffer);
            if (size <= 0) break;
            got.append(buffer, static_cast<std::size_t>(size));
        }
        return got;
    }

private:
    int fd_;
};

class K4SimPty : public ::testing::Test {
protected:
    void SetUp() override {
        link_ = std::filesystem::temp_directory_path() / ("k4sim-pty-" + std::to_string(::getpid()));
        k4sim::RadioOptions radio;
        radio.port = 0;
        k4sim::SimOptions options;
        options.radios = {radio};
        options.bindAddress = "127.0.0.1";
        options.discovery = false;
        options.pty = true;
        options.ptyLink = link_.string();
        sim_ = std::make_unique<k4sim::Simulator>(options);
        sim_->start();
    }

    std::filesystem::path link_;
    std::unique_ptr<k4sim::Simulator> sim_;
};

TEST_F(K4SimPty, AnswersOnTheTerminalAndItsLink) {
    ASSERT_FALSE(sim_->ptyPath().empty());
    EXPECT_EQ(std::filesystem::read_symlink(link_).string(), sim_->ptyPath());
    SerialClient serial(link_.string());
    ASSERT_TRUE(serial.isOpen());
    serial.send("FA;ID;\r\n");
    // Raw terminal: no echo of the command, no line end added.
    EXPECT_EQ(serial.readAnswers(2), "FA00014074000;ID017;");
    EXPECT_EQ(sim_->radio(0).connections().at(0).peer, "pty");
}

TEST_F(K4SimPty, SharesTheRadioWithTheTcpPortAndSurvivesReopening) {
    {
        SerialClient serial(sim_->ptyPath());
        serial.send("FA00007010000;");
        ASSERT_TRUE(sim_->radio(0).waitForCommands(1, 5s));
    }
    simtest::TcpClient tcp;
    ASSERT_FALSE(tcp.connect(sim_->radio(0).port()));
    tcp.send("FA;");
    EXPECT_EQ(tcp.readAnswers(1), "FA00007010000;");
    SerialClient reopened(sim_->ptyPath());
    reopened.send("MD3;MD;");
    EXPECT_EQ(reopened.readAnswers(1), "MD3;");
}

TEST_F(K4SimPty, StopRemovesTheLink) {
    sim_->stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));
}

}  // namespace
