// The usage report request against HTTP servers of the test's own on 127.0.0.1.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "report/HttpServer.h"
#include "report/UsageReport.h"

namespace {

using testing_support::HttpAnswer;
using testing_support::HttpServer;

std::wstring LoopbackHost(uint16_t port) { return L"127.0.0.1:" + std::to_wstring(port); }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A loopback port on which nothing listens: bound, then let go.
uint16_t ClosedPort() {
    HttpServer server;
    if (!server.Start(0)) return 0;
    const uint16_t port = server.Port();
    server.Stop();
    return port;
}

TEST(UsageReport, SendsTheIdentifierAndBothCodesWithConnectionClose) {
    struct Case {
        std::wstring id;
        std::string target;
    };
    const Case cases[] = {
        {L"000102030405060708090A0B0C0D0E0F",
         "/feed/feedkb.php?m=000102030405060708090A0B0C0D0E0F&c=5&a=3"},
        {L"", "/feed/feedkb.php?m=&c=5&a=3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        HttpServer server;
        ASSERT_TRUE(server.Start(0));
        const std::wstring url = ReportUrl(LoopbackHost(server.Port()).c_str(), c.id, 5, 3);
        EXPECT_EQ(SendUsageReport(url), 0u);

        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].requestLine, "GET " + c.target + " HTTP/1.1");
        EXPECT_EQ(requests[0].Header("Connection"), "Close") << requests[0].Text();
    }
}

TEST(UsageReport, ResultTellsTheStatus) {
    struct Case {
        int status;
        DWORD result;
    };
    for (const Case& c : {Case{200, 0}, Case{404, 0xA0060194}, Case{500, 0xA00601F4}}) {
        SCOPED_TRACE(c.status);
        HttpServer server;
        ASSERT_TRUE(server.Start(0, HttpAnswer::kStatus, c.status));
        EXPECT_EQ(SendUsageReport(ReportUrl(LoopbackHost(server.Port()).c_str(), L"AB", 5, 3)),
                  c.result);
        EXPECT_EQ(server.Requests().size(), 1u);
    }
}

TEST(UsageReport, RefusedConnectionGivesAWindowsErrorResult) {
    const uint16_t port = ClosedPort();
    ASSERT_NE(port, 0);
    const DWORD result = SendUsageReport(ReportUrl(LoopbackHost(port).c_str(), L"AB", 5, 3));
    EXPECT_EQ(result & 0xFFFF0000, 0x80070000u) << std::hex << result;
    EXPECT_NE(result & 0xFFFF, 0u) << std::hex << result;
}

TEST(UsageReport, ReturnsOnceTheStatusIsKnownWithoutReadingTheBody) {
    // The body keeps coming for a minute, never slowly enough for the receive time-out to end a
    // client that reads it.
    HttpServer server;
    ASSERT_TRUE(server.Start(0, HttpAnswer::kLargeBody));
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(SendUsageReport(ReportUrl(LoopbackHost(server.Port()).c_str(), L"AB", 5, 3)), 0u);
    EXPECT_LT(::GetTickCount64() - start, 10000u);
}

TEST(UsageReport, HostOrPathLongerThan260CharactersFailsBeforeConnecting) {
    HttpServer server;
    ASSERT_TRUE(server.Start(0));
    const std::wstring port = std::to_wstring(server.Port());
    // A host that still means 127.0.0.1 if it were ever looked up: a fault shows as a connection
    // to our server, and nothing goes off this machine.
    const std::wstring longHost = L"127.0.0." + std::wstring(300, L'0') + L"1";
    const std::wstring query = L"/feed/feedkb.php?m=AB&c=5&a=3&x=";
    const std::wstring path261 = query + std::wstring(261 - query.size(), L'y');
    struct Case {
        const char* name;
        std::wstring url;
    };
    const Case cases[] = {
        {"host of 310 characters", L"http://" + longHost + L":" + port + query},
        {"path with query of 261 characters", L"http://127.0.0.1:" + port + path261},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UrlParts parts;
        EXPECT_FALSE(CrackUrl(c.url, parts));
        const DWORD result = SendUsageReport(c.url);
        EXPECT_NE(result, 0u);
        EXPECT_EQ(result & 0x80000000, 0x80000000u) << std::hex << result;
        EXPECT_EQ(server.Connections(), 0);
    }

    // 260 characters still go out whole.
    const std::wstring path260 = path261.substr(0, 260);
    EXPECT_EQ(SendUsageReport(L"http://127.0.0.1:" + port + path260), 0u);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Wide(server.Requests()[0].Target()), path260);
}

TEST(UsageReport, CrackUrlKeepsTheQueryWithThePathAndDefaultsToPort80) {
    struct Case {
        std::wstring url;
        std::wstring host;
        std::wstring pathWithQuery;
        INTERNET_PORT port;
    };
    const Case cases[] = {
        {L"http://127.0.0.1:38177/feed/feedkb.php?m=AB&c=5&a=3", L"127.0.0.1",
         L"/feed/feedkb.php?m=AB&c=5&a=3", 38177},
        {L"http://report.example/feed/feedkb.php?m=&c=5&a=3", L"report.example",
         L"/feed/feedkb.php?m=&c=5&a=3", 80},
    };
    for (const Case& c : cases) {
        UrlParts parts;
        ASSERT_TRUE(CrackUrl(c.url, parts));
        EXPECT_TRUE(parts.ok);
        EXPECT_EQ(parts.url, c.url);
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.pathWithQuery, c.pathWithQuery);
        EXPECT_EQ(parts.port, c.port);
    }
}

TEST(UsageReport, FailedCallsNeverReadAsSuccess) {
    struct Case {
        DWORD error;
        DWORD result;
    };
    const Case cases[] = {
        {ERROR_INTERNET_CANNOT_CONNECT, 0x80072EFD},
        {0x0001002F, 0x8007002F},  // only the low 16 bits
        {0x80004005, 0x80004005},  // already a failure code
        {0, 0x80004005},           // no error number: still a failure, not 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResultFromError(c.error), c.result) << std::hex << c.error;
}

}  // namespace
