// One radio that answered the discovery probe, as an immutable shared record.
// K4Ip::Discovered is the value handle passed around; copying it shares the
// record, which stays valid for as long as any handle holds it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <boost/asio/ip/udp.hpp>

namespace K4Ip {

// The most radios a discovery lists. The radio chooser numbers them from 1
// with 16-bit signed choices (0 is the address dialog), so a flood of answers
// with distinct ids must not list more than it can number; answers with new
// ids beyond this count are not recorded.
inline constexpr size_t kMaxDiscoveredRadios = 32766;

class DiscoveredImpl {
public:
    DiscoveredImpl(const boost::asio::ip::udp::endpoint& from, const std::string& name, const std::string& info,
                   const std::string& id)
        : from(from), name(name), id(id), info(info) {}

    const boost::asio::ip::udp::endpoint from;  // source of the answer; the TCP link connects to its address
    const std::string name;
    const std::string id;
    const std::string info;
};

class Discovered {
public:
    Discovered() = default;
    explicit Discovered(std::shared_ptr<const DiscoveredImpl> impl) : impl_(std::move(impl)) {}

    std::string name() const { return impl_ ? impl_->name : std::string(); }
    std::string id() const { return impl_ ? impl_->id : std::string(); }
    const boost::asio::ip::udp::endpoint& from() const { return impl_ ? impl_->from : empty_; }
    explicit operator bool() const { return impl_ != nullptr; }

    // A copy of the record under another name: what a rig shows as its
    // radio's name when the list showed the radio under that name.
    Discovered renamed(const std::string& name) const {
        if (!impl_) return Discovered();
        return Discovered(std::make_shared<const DiscoveredImpl>(impl_->from, name, impl_->info, impl_->id));
    }

private:
    std::shared_ptr<const DiscoveredImpl> impl_;
    static inline const boost::asio::ip::udp::endpoint empty_{};
};

}  // namespace K4Ip
