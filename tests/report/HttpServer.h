// A small HTTP server on 127.0.0.1 for the tests and the demo: it records the request line and
// headers of each request and answers in one of a few fixed ways. It serves one connection at a
// time on a thread of its own, and every wait in it is bounded: it stops by itself at the latest
// after its lifetime.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct HttpRequest {
    std::string requestLine;           // "GET /feed/... HTTP/1.1"
    std::vector<std::string> headers;  // "Name: value", in the order they arrived

    // The second word of the request line.
    std::string Target() const;
    // The value of the first header of this name (any letter case); nothing when absent.
    std::optional<std::string> Header(const std::string& name) const;
    // The request line and headers, one a line, as they arrived.
    std::string Text() const;
};

enum class HttpAnswer {
    kStatus,     // the given status with a two-byte body, then the connection is closed
    kLargeBody,  // status 200 and a body of kLargeBodySize bytes that keeps coming for a minute
    kTrickle,    // a 200 answer of one byte a second: the client waits, but never times out
};

class HttpServer {
public:
    static constexpr uint64_t kLargeBodySize = 64ull << 20;

    HttpServer() = default;
    ~HttpServer() { Stop(); }
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on 127.0.0.1:port (0: a free port). False when the port cannot be had.
    bool Start(uint16_t port, HttpAnswer answer = HttpAnswer::kStatus, int status = 200,
               unsigned lifetimeMs = 120000);
    // Closes every connection and ends the server's thread.
    void Stop();

    uint16_t Port() const { return m_port; }
    std::vector<HttpRequest> Requests() const;
    // Connections accepted, whether or not a whole request arrived on them.
    int Connections() const { return m_connections; }
    // Waits up to timeoutMs until at least `count` requests have arrived.
    bool WaitForRequests(size_t count, unsigned timeoutMs) const;

private:
    void Run(unsigned lifetimeMs);
    void Serve(SOCKET client);
    bool ReadRequest(SOCKET client, HttpRequest& request);
    bool SendAll(SOCKET client, const char* data, size_t size);

    SOCKET m_listener = INVALID_SOCKET;
    uint16_t m_port = 0;
    HttpAnswer m_answer = HttpAnswer::kStatus;
    int m_status = 200;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<HttpRequest> m_requests;
};

// The port of a report host "host:port"; 80 when it names none.
uint16_t PortOf(const std::wstring& hostAndPort);

}  // namespace testing_support
