#include "report/UsageReport.h"

#include <strsafe.h>

#include <memory>
#include <new>
#include <vector>

#include "HostNames.h"
#include "report/MachineId.h"
#include "win/Handle.h"

namespace {

constexpr wchar_t kReportPath[] = L"/feed/feedkb.php?m=%s&c=%d&a=%d";
constexpr wchar_t kConnectionClose[] = L"Connection: Close";
constexpr DWORD kConnectTimeoutMs = 20000;
constexpr DWORD kReceiveTimeoutMs = 5000;

bool SetTimeout(HINTERNET handle, DWORD option, DWORD ms) {
    return ::InternetSetOptionW(handle, option, &ms, sizeof(ms));
}

}  // namespace

std::wstring ReportUrl(const wchar_t* host, const std::wstring& id, int c, int a) {
    const std::wstring format = std::wstring(L"http://") + host + kReportPath;
    // Room for the identifier and two ints of up to 11 characters each.
    std::vector<wchar_t> buffer(format.size() + id.size() + 2 * 11 + 1);
    if (FAILED(::StringCchPrintfW(buffer.data(), buffer.size(), format.c_str(), id.c_str(), c, a)))
        return std::wstring();
    return buffer.data();
}

DWORD ResultFromStatus(DWORD status) { return status == HTTP_STATUS_OK ? 0 : 0xA0060000 | status; }

DWORD ResultFromError(DWORD error) {
    if (error == ERROR_SUCCESS) return static_cast<DWORD>(E_FAIL);
    if (static_cast<LONG>(error) < 0) return error;
    return 0x80070000 | (error & 0xFFFF);
}

bool CrackUrl(const std::wstring& url, UrlParts& parts) {
    // One more character than the longest part, for the terminating zero.
    wchar_t host[kMaxUrlPart + 1] = {};
    wchar_t path[kMaxUrlPart + 1] = {};
    URL_COMPONENTSW components{};
    components.dwStructSize = sizeof(components);
    components.lpszHostName = host;
    components.dwHostNameLength = kMaxUrlPart + 1;
    // No separate buffer for the query: the path then holds the query too.
    components.lpszUrlPath = path;
    components.dwUrlPathLength = kMaxUrlPart + 1;

    parts.ok = ::InternetCrackUrlW(url.c_str(), 0, ICU_ESCAPE, &components);
    parts.url = url;
    parts.host = host;
    parts.pathWithQuery = path;
    parts.port = components.nPort;
    return parts.ok;
}

DWORD SendUsageReport(const std::wstring& url) {
    UrlParts parts;
    if (!CrackUrl(url, parts)) return ResultFromError(::GetLastError());

    // Declared in opening order, so that they close request first, root handle last.
    win::InternetHandle root(::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, L"", L"", 0));
    if (!root) return ResultFromError(::GetLastError());
    if (!SetTimeout(root.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs) ||
        !SetTimeout(root.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, kReceiveTimeoutMs))
        return ResultFromError(::GetLastError());

    win::InternetHandle connection(::InternetConnectW(root.Get(), parts.host.c_str(), parts.port,
                                                      L"", L"", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return ResultFromError(::GetLastError());

    win::InternetHandle request(
        ::HttpOpenRequestW(connection.Get(), nullptr, parts.pathWithQuery.c_str(), nullptr, nullptr,
                           nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return ResultFromError(::GetLastError());

    // Without it the request still goes out.
    ::HttpAddRequestHeadersW(request.Get(), kConnectionClose, ARRAYSIZE(kConnectionClose) - 1,
                             HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);

    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        return ResultFromError(::GetLastError());

    // Only the status: the body is never read, however long it is.
    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!::HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &length, nullptr))
        return ResultFromError(::GetLastError());
    return ResultFromStatus(status);
}

DWORD WINAPI UsageReportThread(void* param) {
    std::unique_ptr<ReportRequest> request(static_cast<ReportRequest*>(param));
    SendUsageReport(ReportUrl(hosts::kReport, request->id, request->c, request->a));
    return 0;
}

UsageReport StartUsageReport() {
    UsageReport report;
    MachineId(report.id);

    // Without the record, no report in this run.
    ReportRequest* request = new (std::nothrow) ReportRequest;
    if (!request) return report;
    request->id = report.id;
    request->a = kReportACode;
    request->c = report.c;

    HANDLE thread = ::CreateThread(nullptr, 0, UsageReportThread, request, 0, nullptr);
    if (!thread) {
        delete request;  // the thread that would have owned it never ran
        return report;
    }
    ::CloseHandle(thread);  // never joined: the report must not hold up anything
    return report;
}
