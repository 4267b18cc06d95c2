// The pseudo-terminal front end. The simulator keeps the terminal's slave
// side open itself, so that a client may open and close it any number of
// times without the master side seeing a hang-up; the slave is set raw
// (no echo, no line editing) so that bytes pass unchanged both ways.
//
// Concurrency: opened on the caller's thread before the simulator's thread
// starts; the session and close() then run on the simulator's thread.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include <boost/asio/posix/stream_descriptor.hpp>

#include "Pty.h"
#include "Session.h"

namespace k4sim {

namespace {

using PtySession = Session<boost::asio::posix::stream_descriptor>;

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

// Owns a file descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset() {
        if (fd_ >= 0) ::close(release());
    }

private:
    int fd_;
};

std::string slaveName(int master) {
    char name[128];
    if (grantpt(master) != 0) fail("grantpt");
    if (unlockpt(master) != 0) fail("unlockpt");
    if (ptsname_r(master, name, sizeof name) != 0) fail("ptsname_r");
    return name;
}

void makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) fail("tcgetattr");
    cfmakeraw(&settings);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) fail("tcsetattr");
}

void makeLink(const std::string& target, const std::string& link) {
    struct stat existing {};
    if (lstat(link.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) ::unlink(link.c_str());
    if (symlink(target.c_str(), link.c_str()) != 0) fail("symlink");
}

class LinuxPty : public PtyServer {
public:
    LinuxPty(std::string path, std::string link, int slave, std::shared_ptr<PtySession> session)
        : path_(std::move(path)), link_(std::move(link)), slave_(slave), session_(std::move(session)) {}
    ~LinuxPty() override { removeLink(); }

    const std::string& path() const override { return path_; }

    void close() override {
        session_->close();
        slave_.reset();
        removeLink();
    }

private:
    void removeLink() {
        if (!link_.empty()) ::unlink(link_.c_str());
        link_.clear();
    }

    const std::string path_;
    std::string link_;
    Descriptor slave_;
    const std::shared_ptr<PtySession> session_;
};

}  // namespace

std::shared_ptr<PtyServer> openPty(boost::asio::io_context& io, std::shared_ptr<Radio> radio,
                                   const std::string& linkPath) {
    Descriptor master(posix_openpt(O_RDWR | O_NOCTTY));
    if (master.get() < 0) fail("posix_openpt");
    const std::string path = slaveName(master.get());
    Descriptor slave(::open(path.c_str(), O_RDWR | O_NOCTTY));
    if (slave.get() < 0) fail("open terminal");
    makeRaw(slave.get());
    if (!linkPath.empty()) makeLink(path, linkPath);
    auto session = std::make_shared<PtySession>(boost::asio::posix::stream_descriptor(io, master.release()),
                                                std::move(radio), Conversation::Link::serial, "pty");
    session->start();
    return std::make_shared<LinuxPty>(path, linkPath, slave.release(), std::move(session));
}

}  // namespace k4sim
