#include "Loopback.h"

namespace site {

bool IsLoopback(const boost::asio::ip::address& address)
{
    if (address.is_v4()) return address.to_v4().is_loopback();
    const boost::asio::ip::address_v6 v6 = address.to_v6();
    if (v6.is_loopback()) return true;
    if (v6.is_v4_mapped()) return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, v6).is_loopback();
    return false;
}

}  // namespace site
