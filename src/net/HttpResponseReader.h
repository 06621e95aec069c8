#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TBlockSocket;

// What one HTTP response left behind.
struct THttpResponse
{
    std::vector<std::string> Headers; // status line and header lines, the final empty line too
    std::string Document;             // the body
    std::string MimeType = "text/html";
    int ResultCode = 500;
    std::string ResultString;
    std::int64_t DownloadSize = 0;
    bool CloseConnection = true;
};

// Reads a response from a connected stream socket: optional blank lines, the
// status line (or none: then everything is body), header lines up to an empty
// line, and the body by Content-Length, by chunks or until the server closes.
// The peer is hostile: the head may hold at most kMaxHeadSize bytes and the
// body kMaxBodySize; no declared size is used to allocate. Returns false on a
// socket error, a time-out, or a response above those limits.
namespace HttpResponseReader {

constexpr std::size_t kMaxHeadSize = 1 << 20;
constexpr std::size_t kMaxBodySize = 16 << 20;
// A chunk's data ends with one line end, read as an empty line; a few more
// are forgiven, an endless run of them is no answer.
constexpr std::size_t kMaxEmptyLinesBetweenChunks = 8;

bool read(TBlockSocket& sock, int timeoutMs, const std::string& method, const std::string& protocol,
          THttpResponse& response);

// The status line's code and reason phrase.
void parseStatusLine(const std::string& line, int& code, std::string& reason);

} // namespace HttpResponseReader
