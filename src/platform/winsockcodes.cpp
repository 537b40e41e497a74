// The WinSock side of POSIX: error codes, and the blocking host and service lookups.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/winsock.h"

namespace pk {

int WinSockCodeFromErrno(int err) {
    switch (err) {
        case 0:
            return 0;
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
        case ENFILE:
            return 10024;
#if EAGAIN != EWOULDBLOCK
        case EWOULDBLOCK:
#endif
        case EAGAIN:
            return 10035;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case ENOPROTOOPT:
            return 10042;
        case EPROTONOSUPPORT:
            return 10043;
        case ESOCKTNOSUPPORT:
            return 10044;
        case EOPNOTSUPP:
            return 10045;
        case EPFNOSUPPORT:
            return 10046;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        // A send after the peer reset the connection fails with EPIPE here; the
        // owner must see it as the reset it is.
        case EPIPE:
        case ECONNRESET:
            return 10054;
        case ENOMEM:
        case ENOBUFS:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case ESHUTDOWN:
            return 10058;
        case ETOOMANYREFS:
            return 10059;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case ELOOP:
            return 10062;
        case ENAMETOOLONG:
            return 10063;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        case ENOTEMPTY:
            return 10066;
        case EUSERS:
            return 10068;
        case EDQUOT:
            return 10069;
        case ESTALE:
            return 10070;
        case EREMOTE:
            return 10071;
        default:
            return wsa::kConnAborted;
    }
}

int WinSockCodeFromResolver(int gaiError) {
    switch (gaiError) {
        case 0:
            return 0;
        case EAI_NONAME:
            return wsa::kHostNotFound;
        case EAI_AGAIN:
            return wsa::kTryAgain;
#ifdef EAI_NODATA
        case EAI_NODATA:
            return wsa::kNoData;
#endif
        case EAI_FAIL:
            return wsa::kNoRecovery;
        case EAI_MEMORY:
            return wsa::kNoBufs;
        case EAI_SYSTEM:
            return WinSockCodeFromErrno(errno);
        default:
            return wsa::kHostNotFound;
    }
}

std::optional<std::uint32_t> DottedToAddress(const std::string& text) {
    in_addr addr{};
    if (text.empty() || inet_aton(text.c_str(), &addr) == 0) {
        return std::nullopt;
    }
    return addr.s_addr;
}

std::string AddressToDotted(std::uint32_t addressNetOrder) {
    char buffer[INET_ADDRSTRLEN] = {};
    in_addr addr{};
    addr.s_addr = addressNetOrder;
    inet_ntop(AF_INET, &addr, buffer, sizeof buffer);
    return buffer;
}

std::optional<std::uint32_t> ResolveIPv4(const std::string& host, int* error) {
    if (error) {
        *error = 0;
    }
    if (auto dotted = DottedToAddress(host)) {
        return dotted;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = host.empty() ? EAI_NONAME : getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        if (error) {
            *error = rc != 0 ? WinSockCodeFromResolver(rc) : wsa::kHostNotFound;
        }
        if (found) {
            freeaddrinfo(found);
        }
        return std::nullopt;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const std::uint32_t address = in->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

std::optional<std::uint16_t> ResolveTcpPort(const std::string& port) {
    if (port.empty()) {
        return std::nullopt;
    }
    servent entry{};
    servent* result = nullptr;
    char buffer[1024];
    if (getservbyname_r(port.c_str(), "tcp", &entry, buffer, sizeof buffer, &result) == 0 &&
        result != nullptr) {
        return ntohs(static_cast<std::uint16_t>(result->s_port));
    }
    if (port.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace pk
