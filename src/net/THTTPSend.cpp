#include "THTTPSend.h"

#include "HttpResponseReader.h"
#include "HttpText.h"
#include "SocketErrors.h"

THTTPSend::THTTPSend()
{
    Timeout = 90000;
    TargetPort = "80";
    Sock.ConvertLineEnd = true;
    Sock.MaxLineLength = kMaxLineLength;
}

std::vector<std::string> THTTPSend::buildHead(const std::string& method, const THttpUrlParts& url,
                                              const std::string& user, const std::string& password,
                                              const std::vector<std::string>& extra) const
{
    std::vector<std::string> head;
    const std::string target = url.URI == "/*" ? std::string("*") : url.URI;
    std::string requestLine = HttpText::upper(method) + " " + target;
    if (Protocol != "0.9")
        requestLine += " HTTP/" + Protocol;
    head.push_back(requestLine);

    std::string host = url.Host.find(':') != std::string::npos ? "[" + url.Host + "]" : url.Host;
    if (AddPortNumberToHost && url.Port != "80")
        host += ":" + url.Port;
    head.push_back("Host: " + host);
    if (!user.empty())
        head.push_back("Authorization: Basic " + HttpText::base64(user + ":" + password));
    if (!KeepAlive)
        head.push_back("Connection: close");
    if (!UserAgent.empty())
        head.push_back("User-Agent: " + UserAgent);
    // Lines the caller put into Headers follow the ones built here.
    head.insert(head.end(), extra.begin(), extra.end());
    if (head.back() != "")
        head.emplace_back();
    return head;
}

bool THTTPSend::Execute(const std::string& method, const std::string& url)
{
    ResultCode = 500;
    ResultString.clear();
    DownloadSize = 0;
    UploadSize = 0;

    // Control characters would end the request line early and let the rest
    // of the URL pose as header lines.
    for (const char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    const THttpUrlParts parts = SplitURL(url);
    std::string user = parts.User;
    std::string password = parts.Pass;
    if (user.empty()) {
        user = UserName;
        password = Password;
    }
    // Without a TLS layer an https request could only go out in the clear.
    if (HttpText::upper(parts.Prot) == "HTTPS")
        return false;

    // Headers still holding the last exchange's head are no request lines.
    const std::vector<std::string> extra =
        Headers == m_ownHeaders ? std::vector<std::string>() : Headers;
    Headers = buildHead(method, parts, user, password, extra);
    m_ownHeaders = Headers;
    TargetHost = parts.Host;
    TargetPort = parts.Port;

    const bool reuse = Sock.Handle() >= 0 && m_aliveHost == parts.Host &&
                       m_alivePort == parts.Port && !Sock.WaitReadable(0);
    if (!reuse) {
        Sock.Close();
        m_aliveHost.clear();
        m_alivePort.clear();
    }
    Sock.SetDeadline(Deadline);
    if (!reuse) {
        if (Sock.Bind(IPInterface, "0") != SockErr::Ok ||
            Sock.Connect(parts.Host, parts.Port) != SockErr::Ok) {
            Sock.Close();
            return false;
        }
        m_aliveHost = parts.Host;
        m_alivePort = parts.Port;
    }

    std::string request;
    if (Protocol == "0.9") {
        request = Headers.front() + "\r\n";
    } else {
        for (const std::string& line : Headers)
            request += line + "\r\n";
    }
    if (Sock.SendText(request) != SockErr::Ok) {
        Sock.Close();
        m_aliveHost.clear();
        m_alivePort.clear();
        return false;
    }

    Headers.clear();
    Document.clear();
    MimeType = "text/html";
    THttpResponse response;
    const bool complete = HttpResponseReader::read(Sock, Timeout, method, Protocol, response);
    Headers = std::move(response.Headers);
    m_ownHeaders = Headers;
    Document = std::move(response.Document);
    MimeType = response.MimeType;
    ResultCode = response.ResultCode;
    ResultString = response.ResultString;
    DownloadSize = response.DownloadSize;
    if (!complete || response.CloseConnection) {
        Sock.Close();
        m_aliveHost.clear();
        m_alivePort.clear();
    }
    storeCookies();
    return complete;
}

void THTTPSend::storeCookies()
{
    for (const std::string& line : Headers) {
        if (HttpText::lower(line).rfind("set-cookie:", 0) != 0)
            continue;
        std::string cookie = line.substr(line.find(':') + 1);
        cookie = HttpText::trim(cookie.substr(0, cookie.find(';')));
        const std::size_t equals = cookie.find('=');
        const std::string name = HttpText::trim(cookie.substr(0, equals));
        const std::string value =
            equals == std::string::npos ? std::string() : HttpText::trim(cookie.substr(equals + 1));
        bool replaced = false;
        for (auto& entry : Cookies) {
            if (entry.first == name) {
                entry.second = value;
                replaced = true;
            }
        }
        if (!replaced)
            Cookies.emplace_back(name, value);
    }
}

std::string THTTPSend::CookieValue(const std::string& name) const
{
    for (const auto& entry : Cookies)
        if (entry.first == name)
            return entry.second;
    return {};
}

bool HTTPGetLines(const std::string& url, std::vector<std::string>& lines, int deadlineMs)
{
    THTTPSend http;
    http.Deadline = deadlineMs;
    if (!http.Execute("GET", url))
        return false;
    lines = HttpText::splitLines(http.Document);
    return true;
}
