#ifndef LARKSPUR_SITE_LOOPBACK_H
#define LARKSPUR_SITE_LOOPBACK_H

#include <boost/asio/ip/address.hpp>

namespace site {

// 127.0.0.0/8, ::1 and IPv4-mapped 127.x addresses.
bool IsLoopback(const boost::asio::ip::address& address);

}  // namespace site

#endif
