#pragma once
// The proxy address as the options dialog shows it, a host field and a
// port field, and as the settings keep it, "host:port". Portable: the
// rules are tested natively.

#include <string>
#include <string_view>

#include "framework/AStr.h"

namespace fields {

struct ProxyFields {
    std::string host;
    std::string port;
};

// The port is the number after the last ':' (a ':' inside the brackets of
// an address such as "[::1]" is the address's own); without one the whole
// text is the host.
ProxyFields SplitProxyAddress(std::string_view address);
// Host, ':' and port, blanks around each dropped and the host's leading
// ':' characters too (a stored address beginning with ':' reads as none).
// No host: no address. No port: the host alone.
AStr JoinProxyAddress(std::string_view host, std::string_view port);
// Empty, or a number from 1 to 65535 (blanks around it allowed).
bool ProxyPortValid(std::string_view port);

}  // namespace fields
