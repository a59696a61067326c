#pragma once

#include <string_view>

namespace platform {

// Socket failures are reported with the Windows Sockets error codes, because the texts and names
// that the programs show (and that users and peers know) are keyed by them.
inline constexpr int kWsaEWouldBlock = 10035;
inline constexpr int kWsaEMsgSize = 10040;
inline constexpr int kWsaENoProtoOpt = 10042;
inline constexpr int kWsaEAddrInUse = 10048;
inline constexpr int kWsaENotSock = 10038;
inline constexpr int kWsaEAddrNotAvail = 10049;
inline constexpr int kWsaEConnReset = 10054;
inline constexpr int kWsaETimedOut = 10060;
inline constexpr int kWsaEConnRefused = 10061;

// The Windows Sockets code for a POSIX errno value. An errno without a Windows Sockets
// counterpart comes back unchanged (below 10000, so its text is "Not a WinSock error").
int wsaCodeFromErrno(int errorNumber);
// The code of the calling thread's last failure (errno).
int wsaLastError();

// The message text of a code, "Not a WinSock error" for any code outside the table.
std::string_view wsaErrorText(int code);

// The constant's name, for example "WSAECONNREFUSED"; "WSAEUNKNOWN" outside the table.
std::string_view wsaErrorName(int code);

} // namespace platform
