#include "platform/wsaerrors.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace platform {

namespace {

struct WsaError {
    int code;
    int errorNumber; // 0 where POSIX has no counterpart
    std::string_view name;
    std::string_view text;
};

// Sorted by code.
constexpr std::array kErrors{
    WsaError{10004, EINTR, "WSAEINTR", "Interrupted system call"},
    WsaError{10009, EBADF, "WSAEBADF", "Bad file number"},
    WsaError{10013, EACCES, "WSAEACCES", "Permission denied"},
    WsaError{10014, EFAULT, "WSAEFAULT",
             "The name or the namelen argument is not a valid part of the user address space"},
    WsaError{10022, EINVAL, "WSAEINVAL", "The socket has not been bound to an address with bind"},
    WsaError{10024, EMFILE, "WSAEMFILE", "No more socket descriptors are available"},
    WsaError{10035, EWOULDBLOCK, "WSAEWOULDBLOCK", "Operation would block"},
    WsaError{10036, EINPROGRESS, "WSAEINPROGRESS",
             "A blocking Windows Sockets 1.1 call is in progress"},
    WsaError{10037, EALREADY, "WSAEALREADY", "Operation already in progress"},
    WsaError{10038, ENOTSOCK, "WSAENOTSOCK", "The descriptor is not a socket"},
    WsaError{10039, EDESTADDRREQ, "WSAEDESTADDRREQ", "Destination address required"},
    WsaError{10040, EMSGSIZE, "WSAEMSGSIZE", "Message too long"},
    WsaError{10041, EPROTOTYPE, "WSAEPROTOTYPE",
             "The specified protocol is the wrong type for this socket"},
    WsaError{10042, ENOPROTOOPT, "WSAENOPROTOOPT", "Protocol not available"},
    WsaError{10043, EPROTONOSUPPORT, "WSAEPROTONOSUPPORT",
             "The specified protocol is not supported"},
    WsaError{10044, ESOCKTNOSUPPORT, "WSAESOCKTNOSUPPORT",
             "The specified socket type is not supported in this address family"},
    WsaError{10045, EOPNOTSUPP, "WSAEOPNOTSUPP", "Operation not supported on socket"},
    WsaError{10046, EPFNOSUPPORT, "WSAEPFNOSUPPORT", "Protocol family not supported"},
    WsaError{10047, EAFNOSUPPORT, "WSAEAFNOSUPPORT",
             "The specified address family is not supported"},
    WsaError{10048, EADDRINUSE, "WSAEADDRINUSE", "The specified address is already in use"},
    WsaError{10049, EADDRNOTAVAIL, "WSAEADDRNOTAVAIL",
             "The specified address is not available from the local machine"},
    WsaError{10050, ENETDOWN, "WSAENETDOWN", "The network subsystem has failed"},
    WsaError{10051, ENETUNREACH, "WSAENETUNREACH",
             "The network cannot be reached from this host at this time"},
    WsaError{10052, ENETRESET, "WSAENETRESET", "Network dropped connection on reset"},
    WsaError{10053, ECONNABORTED, "WSAECONNABORTED",
             "The connection was terminated due to a time-out or other failure"},
    WsaError{10054, ECONNRESET, "WSAECONNRESET", "The connection was reset by the remote side"},
    WsaError{10055, ENOBUFS, "WSAENOBUFS",
             "No buffer space is available. The socket cannot be created"},
    WsaError{10056, EISCONN, "WSAEISCONN", "The socket is already connected"},
    WsaError{10057, ENOTCONN, "WSAENOTCONN", "Socket is not connected"},
    WsaError{10058, ESHUTDOWN, "WSAESHUTDOWN", "Can't send after socket shutdown"},
    WsaError{10059, ETOOMANYREFS, "WSAETOOMANYREFS", "Too many references: can't splice"},
    WsaError{10060, ETIMEDOUT, "WSAETIMEDOUT",
             "Attempt to connect timed out without establishing a connection"},
    WsaError{10061, ECONNREFUSED, "WSAECONNREFUSED",
             "The attempt to connect was forcefully rejected"},
    WsaError{10062, ELOOP, "WSAELOOP", "Too many levels of symbolic links"},
    WsaError{10063, ENAMETOOLONG, "WSAENAMETOOLONG", "File name too long"},
    WsaError{10064, EHOSTDOWN, "WSAEHOSTDOWN", "Host is down"},
    WsaError{10065, EHOSTUNREACH, "WSAEHOSTUNREACH", "No route to host"},
    WsaError{10066, ENOTEMPTY, "WSAENOTEMPTY", "Directory not empty"},
    WsaError{10067, 0, "WSAEPROCLIM", "Too many processes"},
    WsaError{10068, EUSERS, "WSAEUSERS", "Too many users"},
    WsaError{10069, EDQUOT, "WSAEDQUOT", "Disc quota exceeded"},
    WsaError{10070, ESTALE, "WSAESTALE", "Stale NFS file handle"},
    WsaError{10071, EREMOTE, "WSAEREMOTE", "Too many levels of remote in path"},
    WsaError{10091, 0, "WSASYSNOTREADY", "Network sub-system is unusable"},
    WsaError{10092, 0, "WSAVERNOTSUPPORTED", "WinSock DLL cannot support this application"},
    WsaError{10093, 0, "WSANOTINITIALISED",
             "A successful WSAStartup must occur before using this function"},
    WsaError{11001, 0, "WSAHOST_NOT_FOUND", "Host not found"},
    WsaError{11002, 0, "WSATRY_AGAIN", "Non-authoritative host not found"},
    WsaError{11003, 0, "WSANO_RECOVERY", "Non-recoverable error"},
    WsaError{11004, 0, "WSANO_DATA", "No Data"},
};

const WsaError* find(int code) {
    const auto* it = std::lower_bound(kErrors.begin(), kErrors.end(), code,
                                      [](const WsaError& e, int c) { return e.code < c; });
    return it != kErrors.end() && it->code == code ? it : nullptr;
}

} // namespace

int wsaCodeFromErrno(int errorNumber) {
    // Errors without a Windows Sockets code of their own get the nearest one. (EAGAIN is
    // EWOULDBLOCK and ENOTSUP is EOPNOTSUPP on Linux, so the table covers those.)
    switch (errorNumber) {
    case EPERM: // a firewall rule refusing a datagram
        return 10013;
    case ENFILE:
        return 10024;
    case ENOMEM:
        return 10055;
    case EPIPE: // sending on a socket shut down for writing
        return 10058;
    default:
        break;
    }
    if (errorNumber == 0) {
        return 0;
    }
    for (const WsaError& e : kErrors) {
        if (e.errorNumber == errorNumber) {
            return e.code;
        }
    }
    return errorNumber;
}

std::string_view wsaErrorText(int code) {
    const WsaError* e = find(code);
    return e ? e->text : "Not a WinSock error";
}

std::string_view wsaErrorName(int code) {
    const WsaError* e = find(code);
    return e ? e->name : "WSAEUNKNOWN";
}

int wsaLastError() {
    return wsaCodeFromErrno(errno);
}

} // namespace platform
