#include "HttpResponseReader.h"

#include "HttpText.h"
#include "SocketErrors.h"
#include "TBlockSocket.h"

namespace HttpResponseReader {

namespace {

struct BodyRule
{
    bool chunked = false;
    bool hasLength = false;
    std::int64_t length = 0;
};

// The value of a header line: the text after its first space, trimmed; a
// line without a space is all value.
std::string headerValue(const std::string& line)
{
    const std::size_t space = line.find(' ');
    return HttpText::trim(space == std::string::npos ? line : line.substr(space + 1));
}

void examineHeader(const std::string& line, BodyRule& body, THttpResponse& response)
{
    const std::string upper = HttpText::upper(line);
    if (upper.rfind("CONTENT-LENGTH:", 0) == 0) {
        std::int64_t length = 0;
        if (HttpText::parseDecimal(headerValue(line), length)) {
            body.hasLength = true;
            body.length = length;
        }
    } else if (upper.rfind("CONTENT-TYPE:", 0) == 0) {
        response.MimeType = headerValue(line);
    } else if (upper.rfind("TRANSFER-ENCODING:", 0) == 0) {
        if (HttpText::upper(headerValue(line)).find("CHUNKED") != std::string::npos)
            body.chunked = true;
    } else if (upper.rfind("CONNECTION: CLOSE", 0) == 0) {
        response.CloseConnection = true;
    }
}

// Reads one line and charges it (at least two bytes, for its line end) to
// `budget`; false on a socket error or when the budget runs out.
bool readLine(TBlockSocket& sock, int timeoutMs, std::size_t& budget, std::string& line)
{
    line = sock.ReceiveLine(timeoutMs);
    if (sock.LastError() != SockErr::Ok)
        return false;
    const std::size_t cost = line.size() + 2;
    if (cost > budget)
        return false;
    budget -= cost;
    return true;
}

bool readChunked(TBlockSocket& sock, int timeoutMs, THttpResponse& response)
{
    // Chunk-size lines and data share the body's budget, so a server cannot
    // keep us reading forever with empty lines either.
    std::size_t budget = kMaxBodySize;
    std::size_t emptyLines = 0;
    while (true) {
        std::string line;
        if (!readLine(sock, timeoutMs, budget, line))
            return false;
        if (line.empty()) {
            if (++emptyLines > kMaxEmptyLinesBetweenChunks)
                return false;
            continue;
        }
        emptyLines = 0;
        std::string size = line.substr(0, line.find(' '));
        size = HttpText::trim(size.substr(0, size.find(';')));
        bool valid = false;
        bool overflow = false;
        const std::uint64_t length = HttpText::parseHex(size, valid, overflow);
        if (overflow || length > budget)
            return false;
        if (!valid || length == 0)
            return true; // trailers are not read
        budget -= static_cast<std::size_t>(length);
        if (sock.ReceiveExact(response.Document, timeoutMs, static_cast<std::size_t>(length)) !=
            SockErr::Ok)
            return false;
    }
}

bool readUntilClosed(TBlockSocket& sock, int timeoutMs, THttpResponse& response)
{
    while (true) {
        const std::string piece = sock.ReceivePacket(timeoutMs);
        if (sock.LastError() != SockErr::Ok)
            return sock.LastError() == SockErr::ConnectionReset;
        if (piece.size() > kMaxBodySize - response.Document.size())
            return false;
        response.Document += piece;
    }
}

} // namespace

void parseStatusLine(const std::string& line, int& code, std::string& reason)
{
    const std::size_t space = line.find(' ');
    const std::string rest =
        space == std::string::npos ? std::string() : HttpText::trim(line.substr(space + 1));
    const std::size_t split = rest.find(' ');
    std::int64_t value = 0;
    const std::string codeText = rest.substr(0, split);
    code = HttpText::parseDecimal(codeText, value) && value >= 0 && value <= 0x7fffffff
               ? static_cast<int>(value)
               : 0;
    reason = split == std::string::npos ? std::string() : HttpText::trim(rest.substr(split + 1));
}

bool read(TBlockSocket& sock, int timeoutMs, const std::string& method, const std::string& protocol,
          THttpResponse& response)
{
    response = THttpResponse();
    std::size_t headBudget = kMaxHeadSize;
    std::string line;
    do {
        if (!readLine(sock, timeoutMs, headBudget, line))
            return false;
    } while (line.empty());

    BodyRule body;
    const bool hasStatus = HttpText::startsWithNoCase(line, "HTTP/");
    if (hasStatus) {
        response.Headers.push_back(line);
        parseStatusLine(line, response.ResultCode, response.ResultString);
    } else {
        // No head at all: the first line already belongs to the body.
        response.Document = line + "\r\n";
        response.ResultCode = 0;
    }
    response.CloseConnection = protocol != "1.1";
    if (hasStatus) {
        while (true) {
            if (!readLine(sock, timeoutMs, headBudget, line))
                return false;
            response.Headers.push_back(line);
            if (line.empty())
                break;
            examineHeader(line, body, response);
        }
    }

    if (HttpText::upper(method) == "HEAD" || response.ResultCode == 204 ||
        response.ResultCode == 304)
        return true;
    if (body.chunked)
        return readChunked(sock, timeoutMs, response);
    if (body.hasLength) {
        if (body.length < 1)
            return true;
        if (static_cast<std::uint64_t>(body.length) > kMaxBodySize)
            return false;
        response.DownloadSize = body.length;
        return sock.ReceiveExact(response.Document, timeoutMs,
                                 static_cast<std::size_t>(body.length)) == SockErr::Ok;
    }
    return readUntilClosed(sock, timeoutMs, response);
}

} // namespace HttpResponseReader
