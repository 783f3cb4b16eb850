#include "ui/panes/ProxyFields.h"

namespace fields {

namespace {
std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}
}  // namespace

ProxyFields SplitProxyAddress(std::string_view address) {
    size_t colon = address.rfind(':');
    size_t bracket = address.rfind(']');
    if (colon == std::string_view::npos || (bracket != std::string_view::npos && bracket > colon))
        return {std::string(address), {}};
    return {std::string(address.substr(0, colon)), std::string(address.substr(colon + 1))};
}

AStr JoinProxyAddress(std::string_view host, std::string_view port) {
    host = Trimmed(host);
    while (!host.empty() && host.front() == ':') host.remove_prefix(1);
    host = Trimmed(host);
    port = Trimmed(port);
    if (host.empty()) return AStr();
    AStr out(host.data(), host.size());
    if (!port.empty()) {
        out += ':';
        out += port;
    }
    return out;
}

bool ProxyPortValid(std::string_view port) {
    port = Trimmed(port);
    if (port.empty()) return true;
    if (!AllDigits(port) || port.size() > 5) return false;
    int v = std::stoi(std::string(port));
    return v >= 1 && v <= 65535;
}

}  // namespace fields
