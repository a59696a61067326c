#include "platform/wsaerrors.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

struct Mapping {
    int errorNumber;
    int code;
    const char* name;
    const char* text;
};

TEST(WsaErrors, PosixErrorsMapToWindowsSocketsCodesWithTheirNamesAndTexts) {
    const Mapping rows[] = {
        {EINTR, 10004, "WSAEINTR", "Interrupted system call"},
        {EAGAIN, 10035, "WSAEWOULDBLOCK", "Operation would block"},
        {EMSGSIZE, 10040, "WSAEMSGSIZE", "Message too long"},
        {EAFNOSUPPORT, 10047, "WSAEAFNOSUPPORT", "The specified address family is not supported"},
        {EADDRINUSE, 10048, "WSAEADDRINUSE", "The specified address is already in use"},
        {ENOBUFS, 10055, "WSAENOBUFS",
         "No buffer space is available. The socket cannot be created"},
        {ECONNREFUSED, 10061, "WSAECONNREFUSED", "The attempt to connect was forcefully rejected"},
        {EREMOTE, 10071, "WSAEREMOTE", "Too many levels of remote in path"},
        {ENOMEM, 10055, "WSAENOBUFS", "No buffer space is available. The socket cannot be created"},
        {EPIPE, 10058, "WSAESHUTDOWN", "Can't send after socket shutdown"},
    };
    for (const Mapping& row : rows) {
        SCOPED_TRACE(row.name);
        const int code = platform::wsaCodeFromErrno(row.errorNumber);
        EXPECT_EQ(code, row.code);
        EXPECT_EQ(platform::wsaErrorName(code), row.name);
        EXPECT_EQ(platform::wsaErrorText(code), row.text);
    }
}

TEST(WsaErrors, CodesWithoutAnErrnoHaveTextsAndAnythingOutsideTheTableIsUnknown) {
    EXPECT_EQ(platform::wsaErrorText(10093),
              "A successful WSAStartup must occur before using this function");
    EXPECT_EQ(platform::wsaErrorName(11001), "WSAHOST_NOT_FOUND");
    EXPECT_EQ(platform::wsaErrorText(11004), "No Data");
    for (int code : {0, 10000, 10005, 10072, 10090, 10094, 11000, 11005, -1}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(platform::wsaErrorText(code), "Not a WinSock error");
        EXPECT_EQ(platform::wsaErrorName(code), "WSAEUNKNOWN");
    }
    // An errno with no counterpart stays below 10000, so it never passes for a real code.
    EXPECT_EQ(platform::wsaCodeFromErrno(ENOENT), ENOENT);
    EXPECT_EQ(platform::wsaCodeFromErrno(0), 0);
}

} // namespace
