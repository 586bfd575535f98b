// The anonymous usage report: one HTTP GET per start of the program, sent from a thread of its own
// that nothing waits for. Its answer is not used.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

// Codes that the report carries besides the machine identifier.
inline constexpr int kReportCCode = 5;
inline constexpr int kReportACode = 3;

// The process-wide report record, made by static initialisation.
struct UsageReport {
    std::wstring id;  // the machine identifier: 32 hexadecimal digits, or empty
    int c = kReportCCode;
};

// One report thread's own copy of what it sends; the thread deletes it when done.
struct ReportRequest {
    std::wstring id;
    int a = kReportACode;
    int c = kReportCCode;
};

// A URL split into what the request needs.
struct UrlParts {
    BOOL ok = FALSE;
    std::wstring url;
    std::wstring host;           // at most 260 characters
    std::wstring pathWithQuery;  // at most 260 characters
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

// Longest host name and path with query that a report URL may have.
inline constexpr DWORD kMaxUrlPart = 260;

// "http://<host>/feed/feedkb.php?m=<id>&c=<c>&a=<a>"; the identifier goes in unchanged.
std::wstring ReportUrl(const wchar_t* host, const std::wstring& id, int c, int a);

// Result codes of SendUsageReport: 0 for HTTP 200, 0xA0060000 | status for any other status.
DWORD ResultFromStatus(DWORD status);
// The result of a failed call from its last error: 0x80070000 | the low 16 bits; an error that is
// already a failure code stays as it is, and a failure without an error number still reads as one.
DWORD ResultFromError(DWORD error);

// Splits `url` with InternetCrackUrlW; fails when the host or the path with query is longer than
// kMaxUrlPart. Returns parts.ok.
bool CrackUrl(const std::wstring& url, UrlParts& parts);

// Sends GET `url` with "Connection: Close" and returns the result code. Reads only the status,
// never the body.
DWORD SendUsageReport(const std::wstring& url);

// The report thread: sends the report of `param` (a ReportRequest made with new), deletes it and
// ends with 0.
DWORD WINAPI UsageReportThread(void* param);

// Reads or makes the machine identifier and starts the report thread without waiting for it.
// Run once, by static initialisation.
UsageReport StartUsageReport();
