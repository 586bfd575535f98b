// The real program's usage report, received by a collector on the report port of this build.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string>

#include "HostNames.h"
#include "driver/Driver.h"
#include "report/HttpServer.h"
#include "report/MachineId.h"
#include "report/MachineIdKey.h"
#include "support/HostPath.h"
#include "support/Process.h"

namespace {

using testing_support::HttpAnswer;
using testing_support::HttpRequest;
using testing_support::HttpServer;

// The value of `key` in the query of `target`; nothing when absent.
std::optional<std::string> QueryValue(const std::string& target, const std::string& key) {
    const size_t query = target.find('?');
    if (query == std::string::npos) return std::nullopt;
    size_t start = query + 1;
    while (start <= target.size()) {
        size_t end = target.find('&', start);
        if (end == std::string::npos) end = target.size();
        const std::string pair = target.substr(start, end - start);
        if (pair.compare(0, key.size() + 1, key + "=") == 0) return pair.substr(key.size() + 1);
        start = end + 1;
    }
    return std::nullopt;
}

// The identifier that the sandbox's registry holds, as digits; empty when there is none.
std::string StoredId() {
    const auto value = testing_support::ReadMachineIdValue();
    if (!value || value->type != REG_BINARY || value->data.size() != 16) return std::string();
    const std::wstring id = HexDigits(value->data.data(), value->data.size());
    return std::string(id.begin(), id.end());
}

class UsageReportEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring host = hosts::kReport;
        // Tests never let the program talk to anything but this machine.
        ASSERT_EQ(host.rfind(L"127.0.0.1", 0), 0u)
            << "the report host of this build is not loopback";
        m_port = testing_support::PortOf(host);
    }

    // Starts the program and waits for its main window.
    void Launch() {
        ASSERT_TRUE(m_program.Start(testing_support::ProgramPath()));
        m_main = driver::WaitForMainWindow(15000, m_program.Id());
        ASSERT_NE(m_main, nullptr) << "the main window did not appear";
    }

    void CloseAndExpectExit() {
        driver::CloseWindow(m_main);
        EXPECT_EQ(m_program.WaitForExit(), 2u);
    }

    testing_support::SavedMachineIdKey m_saved;
    testing_support::ChildProcess m_program;
    HWND m_main = nullptr;
    uint16_t m_port = 0;
};

TEST_F(UsageReportEndToEnd, EachStartSendsOneReportWithTheSameStoredIdentifier) {
    // The first start makes the identifier.
    ASSERT_TRUE(testing_support::DeleteMachineIdKey());
    std::string firstId;
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        HttpServer collector;
        ASSERT_TRUE(collector.Start(m_port)) << "port " << m_port << " is taken";
        Launch();
        EXPECT_TRUE(collector.WaitForRequests(1, 10000)) << "no report arrived";
        CloseAndExpectExit();

        const std::string id = StoredId();
        ASSERT_EQ(id.size(), 32u) << "no identifier in the registry";
        if (start == 1) firstId = id;
        EXPECT_EQ(id, firstId);

        // Programs of other sandboxes on this machine may report to the same port: only
        // reports with this sandbox's identifier count.
        int ours = 0;
        for (const HttpRequest& request : collector.Requests()) {
            if (QueryValue(request.Target(), "m") != id) continue;
            ++ours;
            EXPECT_EQ(request.requestLine, "GET /feed/feedkb.php?m=" + id + "&c=5&a=3 HTTP/1.1");
            EXPECT_EQ(request.Header("Connection"), "Close");
            std::cout << "The collector received:\n" << request.Text() << std::flush;
        }
        EXPECT_EQ(ours, 1);
    }
}

TEST_F(UsageReportEndToEnd, WindowComesUpWhileTheReportIsStillUnanswered) {
    // The answer comes one byte a second for about a minute: a program that waited for it
    // would show no window within the driver's wait.
    HttpServer collector;
    ASSERT_TRUE(collector.Start(m_port, HttpAnswer::kTrickle));
    Launch();
    EXPECT_TRUE(collector.WaitForRequests(1, 10000)) << "no report arrived";
    CloseAndExpectExit();
}

TEST_F(UsageReportEndToEnd, WithoutACollectorStartsAndClosesAtOnce) {
    Launch();
    CloseAndExpectExit();
}

}  // namespace
