#include "report/HttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>

namespace testing_support {

namespace {

constexpr unsigned kSliceMs = 100;  // how often every wait looks at the stop flag
constexpr unsigned kRequestTimeoutMs = 10000;
constexpr unsigned kHoldMs = 60000;  // kLargeBody: how long an unread body is held open
constexpr unsigned kTrickleByteMs = 1000;
constexpr unsigned kCloseWaitMs = 2000;
constexpr size_t kBodyBurstSize = 1 << 20;
constexpr int kBodyDripSize = 1024;
constexpr unsigned kBodyDripMs = 500;
constexpr unsigned kBindRetryMs = 10000;  // a port that another test still holds

// Whether the socket becomes readable (or writable) within ms.
bool Ready(SOCKET s, bool write, unsigned ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    return ::select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv) == 1;
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string HttpRequest::Target() const {
    const size_t first = requestLine.find(' ');
    if (first == std::string::npos) return std::string();
    const size_t second = requestLine.find(' ', first + 1);
    return requestLine.substr(first + 1,
                              second == std::string::npos ? std::string::npos : second - first - 1);
}

std::optional<std::string> HttpRequest::Header(const std::string& name) const {
    for (const std::string& header : headers) {
        const size_t colon = header.find(':');
        if (colon == std::string::npos || Lower(header.substr(0, colon)) != Lower(name)) continue;
        const size_t value = header.find_first_not_of(' ', colon + 1);
        return value == std::string::npos ? std::string() : header.substr(value);
    }
    return std::nullopt;
}

std::string HttpRequest::Text() const {
    std::string text = requestLine + "\n";
    for (const std::string& header : headers) text += header + "\n";
    return text;
}

bool HttpServer::Start(uint16_t port, HttpAnswer answer, int status, unsigned lifetimeMs) {
    Stop();
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    m_answer = answer;
    m_status = status;
    m_stop = false;
    m_connections = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.clear();
    }

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const ULONGLONG deadline = ::GetTickCount64() + (port ? kBindRetryMs : 0);
    for (;;) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (m_listener == INVALID_SOCKET) break;
        // Connections of an earlier server on this port may still be closing.
        const BOOL reuse = TRUE;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                     sizeof(reuse));
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            ::listen(m_listener, 8) == 0)
            break;
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        if (::GetTickCount64() >= deadline) break;
        ::Sleep(200);
    }
    if (m_listener == INVALID_SOCKET) {
        ::WSACleanup();
        return false;
    }
    int length = sizeof(address);
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this, lifetimeMs] { Run(lifetimeMs); });
    return true;
}

void HttpServer::Stop() {
    if (m_listener == INVALID_SOCKET) return;
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    ::closesocket(m_listener);
    m_listener = INVALID_SOCKET;
    ::WSACleanup();
}

std::vector<HttpRequest> HttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool HttpServer::WaitForRequests(size_t count, unsigned timeoutMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (Requests().size() >= count) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(20);
    }
}

void HttpServer::Run(unsigned lifetimeMs) {
    const ULONGLONG deadline = ::GetTickCount64() + lifetimeMs;
    while (!m_stop && ::GetTickCount64() < deadline) {
        if (!Ready(m_listener, false, kSliceMs)) continue;
        SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        ++m_connections;
        Serve(client);
        ::closesocket(client);
    }
}

bool HttpServer::ReadRequest(SOCKET client, HttpRequest& request) {
    std::string received;
    const ULONGLONG deadline = ::GetTickCount64() + kRequestTimeoutMs;
    size_t end;
    while ((end = received.find("\r\n\r\n")) == std::string::npos) {
        if (m_stop || ::GetTickCount64() >= deadline || received.size() > 65536) return false;
        if (!Ready(client, false, kSliceMs)) continue;
        char buffer[4096];
        const int n = ::recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) return false;
        received.append(buffer, n);
    }
    size_t start = 0;
    while (start < end) {
        size_t eol = received.find("\r\n", start);
        std::string line = received.substr(start, eol - start);
        if (start == 0)
            request.requestLine = line;
        else
            request.headers.push_back(line);
        start = eol + 2;
    }
    return true;
}

bool HttpServer::SendAll(SOCKET client, const char* data, size_t size) {
    while (size > 0) {
        if (m_stop) return false;
        if (!Ready(client, true, kSliceMs)) continue;
        const int n = ::send(client, data, static_cast<int>(std::min<size_t>(size, 65536)), 0);
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

void HttpServer::Serve(SOCKET client) {
    HttpRequest request;
    if (!ReadRequest(client, request)) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }

    const ULONGLONG holdUntil = ::GetTickCount64() + kHoldMs;
    switch (m_answer) {
        case HttpAnswer::kStatus: {
            const std::string answer = "HTTP/1.1 " + std::to_string(m_status) + " " +
                                       Reason(m_status) +
                                       "\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
            if (!SendAll(client, answer.data(), answer.size())) return;
            break;
        }
        case HttpAnswer::kLargeBody: {
            const std::string head =
                "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kLargeBodySize) + "\r\n\r\n";
            if (!SendAll(client, head.data(), head.size())) return;
            // A first part at once, then a little at a time, never so slowly that a client
            // reading the body would time out: such a client would still be reading after a minute.
            const std::string burst(kBodyBurstSize, 'x');
            if (!SendAll(client, burst.data(), burst.size())) return;
            while (!m_stop && ::GetTickCount64() < holdUntil) {
                for (unsigned waited = 0; waited < kBodyDripMs && !m_stop; waited += kSliceMs)
                    ::Sleep(kSliceMs);
                if (::send(client, burst.data(), kBodyDripSize, 0) <= 0) return;  // client gone
            }
            break;
        }
        case HttpAnswer::kTrickle: {
            const std::string answer =
                "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
            for (char c : answer) {
                if (!SendAll(client, &c, 1)) return;
                for (unsigned waited = 0; waited < kTrickleByteMs && !m_stop; waited += kSliceMs)
                    ::Sleep(kSliceMs);
            }
            break;
        }
    }
    // Lets the client close first, so that the port is free again at once for the next server.
    // An unread body is held open for the client to close; after a whole answer, briefly.
    const ULONGLONG closeBy =
        m_answer == HttpAnswer::kLargeBody ? holdUntil : ::GetTickCount64() + kCloseWaitMs;
    while (!m_stop && ::GetTickCount64() < closeBy) {
        if (!Ready(client, false, kSliceMs)) continue;
        char buffer[4096];
        if (::recv(client, buffer, sizeof(buffer), 0) <= 0) break;
    }
}

uint16_t PortOf(const std::wstring& hostAndPort) {
    const size_t colon = hostAndPort.rfind(L':');
    return colon == std::wstring::npos
               ? 80
               : static_cast<uint16_t>(std::stoi(hostAndPort.substr(colon + 1)));
}

}  // namespace testing_support
