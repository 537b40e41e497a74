#include "platform/winsock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

namespace pk {
namespace {

TEST(WinSockCodes, ErrnoMapsToWinSockNumbering) {
    EXPECT_EQ(WinSockCodeFromErrno(0), 0);
    EXPECT_EQ(WinSockCodeFromErrno(EAGAIN), 10035);
    EXPECT_EQ(WinSockCodeFromErrno(EWOULDBLOCK), 10035);
    EXPECT_EQ(WinSockCodeFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(WinSockCodeFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WinSockCodeFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(WinSockCodeFromErrno(ENOTCONN), 10057);
    EXPECT_EQ(WinSockCodeFromErrno(EINPROGRESS), 10036);
    EXPECT_EQ(WinSockCodeFromErrno(EHOSTUNREACH), 10065);
    // A send into a reset connection must read as a reset, not as an oddity.
    EXPECT_EQ(WinSockCodeFromErrno(EPIPE), 10054);
}

TEST(WinSockCodes, UnmappedErrnoStillEndsTheLink) {
    // Owners ignore codes without a text; an unknown failure must not be one.
    EXPECT_EQ(WinSockCodeFromErrno(EDOM), 10053);
    EXPECT_EQ(WinSockCodeFromErrno(12345), 10053);
}

TEST(WinSockCodes, ResolverFailuresBecomeHostCodes) {
    EXPECT_EQ(WinSockCodeFromResolver(0), 0);
    EXPECT_EQ(WinSockCodeFromResolver(EAI_NONAME), 11001);
    EXPECT_EQ(WinSockCodeFromResolver(EAI_AGAIN), 11002);
    EXPECT_EQ(WinSockCodeFromResolver(EAI_FAIL), 11003);
}

TEST(WinSockLookup, PortIsServiceNameOrDecimal) {
    EXPECT_EQ(ResolveTcpPort("16803"), std::uint16_t{16803});
    EXPECT_EQ(ResolveTcpPort("1"), std::uint16_t{1});
    EXPECT_EQ(ResolveTcpPort("65535"), std::uint16_t{65535});
    EXPECT_FALSE(ResolveTcpPort("65536"));
    EXPECT_FALSE(ResolveTcpPort("0"));
    EXPECT_FALSE(ResolveTcpPort(""));
    EXPECT_FALSE(ResolveTcpPort("12a"));
    EXPECT_FALSE(ResolveTcpPort("no-such-service-name"));
    if (getservbyname("http", "tcp") != nullptr) {
        EXPECT_EQ(ResolveTcpPort("http"), std::uint16_t{80});
    }
}

TEST(WinSockLookup, DottedAddressesNeedNoResolver) {
    int error = -1;
    const auto address = ResolveIPv4("127.0.0.1", &error);
    ASSERT_TRUE(address);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(*address, htonl(0x7F000001));
    EXPECT_EQ(AddressToDotted(*address), "127.0.0.1");
    EXPECT_EQ(DottedToAddress("10.1.2.3"), htonl(0x0A010203));
    EXPECT_FALSE(DottedToAddress("not an address"));
}

TEST(WinSockLookup, UnresolvableHostGivesHostCode) {
    int error = 0;
    EXPECT_FALSE(ResolveIPv4("no-such-host.invalid", &error));
    EXPECT_GE(error, 11001);
    EXPECT_LE(error, 11004);
    EXPECT_FALSE(ResolveIPv4("", &error));
    EXPECT_EQ(error, 11001);
}

}  // namespace
}  // namespace pk
