// tarlisk_collector PORT [SECONDS]: the report server of the demo. Listens on 127.0.0.1:PORT,
// answers every request with 200 and prints its request line and headers; ends after SECONDS
// (default 300) or when it is killed.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "report/HttpServer.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarlisk_collector PORT [SECONDS]\n");
        return 2;
    }
    const unsigned port = std::wcstoul(argv[1], nullptr, 10);
    const unsigned seconds = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 300;
    testing_support::HttpServer server;
    if (port == 0 || port > 65535 ||
        !server.Start(static_cast<uint16_t>(port), testing_support::HttpAnswer::kStatus, 200,
                      seconds * 1000)) {
        std::fprintf(stderr, "collector: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::printf("collector: listening on 127.0.0.1:%u\n", port);
    std::fflush(stdout);

    size_t printed = 0;
    const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
    while (::GetTickCount64() < deadline) {
        const auto requests = server.Requests();
        for (; printed < requests.size(); ++printed)
            std::printf("collector: request %zu\n%s\n", printed + 1,
                        requests[printed].Text().c_str());
        std::fflush(stdout);
        ::Sleep(100);
    }
    return 0;
}
