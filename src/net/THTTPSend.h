#pragma once

#include "HttpUrl.h"
#include "TKeloClient.h"
#include "TTCPBlockSocket.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One HTTP request over a TCP connection and its response. There is no TLS
// layer: "https" URLs fail without connecting.
class THTTPSend : public TKeloClient
{
public:
    THTTPSend();

    // Before a request: extra request head lines; after it: the status line
    // and the header lines of the response.
    std::vector<std::string> Headers;
    std::string Document; // request body (unused here); after a request the response body
    std::vector<std::pair<std::string, std::string>> Cookies;
    std::string MimeType = "text/html";
    std::string Protocol = "1.0";
    bool KeepAlive = true;
    bool Status100 = false;
    std::string UserAgent = "Mozilla/4.0 (compatible; Vantrel)";
    bool AddPortNumberToHost = true;
    std::int64_t RangeStart = 0;
    std::int64_t RangeEnd = 0;
    std::string ProxyHost;
    std::string ProxyPort = "8080";
    std::string ProxyUser;
    std::string ProxyPass;
    int ResultCode = 0;
    std::string ResultString;
    std::int64_t DownloadSize = 0;
    std::int64_t UploadSize = 0;
    TTCPBlockSocket Sock;
    // Milliseconds one Execute may take in all, connect and every wait
    // included; 0: only the per-wait Timeout applies.
    int Deadline = 0;

    // Longest response line accepted; a peer that never ends a line cannot
    // make the client gather more than this.
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

    bool Execute(const std::string& method, const std::string& url);

    // The value of a received cookie, empty when there is none.
    std::string CookieValue(const std::string& name) const;

private:
    std::vector<std::string> buildHead(const std::string& method, const THttpUrlParts& url,
                                       const std::string& user, const std::string& password,
                                       const std::vector<std::string>& extra) const;
    void storeCookies();

    // What this client itself last put into Headers (a request or response
    // head): it is not sent again as part of the next request's head.
    std::vector<std::string> m_ownHeaders;
    std::string m_aliveHost;
    std::string m_alivePort;
};

// GETs `url` and, when the whole response arrived (whatever its status code),
// replaces `lines` with its body split into lines. `lines` is left alone on
// failure. A deadlineMs above 0 bounds the whole request (THTTPSend::Deadline).
bool HTTPGetLines(const std::string& url, std::vector<std::string>& lines, int deadlineMs = 0);
