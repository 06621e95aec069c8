#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TSocketFamily
{
    SF_Any,
    SF_IP4,
    SF_IP6
};

// A blocking socket. Operations never throw: each records the error number of
// its last failing step in LastError (0 for success), which callers test.
// The platform socket is created lazily by the first Bind or Connect.
class TBlockSocket
{
public:
    TBlockSocket();
    virtual ~TBlockSocket();

    TBlockSocket(const TBlockSocket&) = delete;
    TBlockSocket& operator=(const TBlockSocket&) = delete;

    // Configuration, as published properties.
    TSocketFamily Family = TSocketFamily::SF_Any;
    bool PreferIP4 = true;
    std::size_t MaxLineLength = 0; // 0: no limit
    bool ConvertLineEnd = false;
    bool InterPacketTimeout = true;
    std::size_t SendMaxChunk = 65536;
    int NonblockSendTimeout = 15000;

    int LastError() const { return m_lastError; }
    bool IsIP6() const { return m_ip6; }
    int Handle() const { return m_fd; }

    int Bind(const std::string& address, const std::string& port);
    virtual int Connect(const std::string& host, const std::string& port) = 0;
    virtual void Close();

    int SendText(const std::string& bytes);
    std::string ReceivePacket(int timeoutMs);
    std::string ReceiveLine(int timeoutMs);
    int ReceiveExact(std::string& stream, int timeoutMs, std::size_t count);
    bool WaitReadable(int timeoutMs);
    std::size_t PendingBytes() const;

    std::string RemoteAddressText() const;
    std::string LocalAddressText() const;
    int RemotePort() const;
    int LocalPort() const;

    static std::string LocalHostName();
    void ResolveName(const std::string& name, std::vector<std::string>& list);

    void SetTTL(int ttl);
    void SetReceiveBufferSize(int size);

    // Received bytes not yet handed out (left over by line reading).
    std::string_view ReceiveBufferContents() const;

    // An overall deadline, `ms` milliseconds from now, that cuts every later
    // wait short whatever its own time-out (a connect included): a peer that
    // trickles a byte at a time cannot hold the socket longer. 0 or less
    // removes it.
    void SetDeadline(int ms);

protected:
    virtual int SocketType() const = 0;
    virtual int SocketProtocol() const = 0;
    virtual bool IsStream() const { return false; }

    // Resolves host and port into `out`, choosing the family as the text asks.
    int resolve(const std::string& host, const std::string& port, sockaddr_storage& out,
                socklen_t& outLen);
    // Creates the platform socket for `family` if there is none yet.
    bool createSocket(int family);
    void setError(int code) { m_lastError = code; }
    void setErrorFromErrno();
    void readRemoteAddress();

    virtual int sendBytes(const char* data, std::size_t size);
    virtual long receiveBytes(char* data, std::size_t size);
    void closeHandle();

    int m_fd = -1;
    bool m_ip6 = false;
    int m_lastError = 0;
    sockaddr_storage m_remote{};
    socklen_t m_remoteLen = 0;
    // Received bytes; those before m_bufferPos are handed out already. Line
    // reading moves the position instead of copying the rest each time, so
    // reading n lines costs what their bytes weigh.
    std::string m_buffer;
    std::size_t m_bufferPos = 0;
    void clearReceived();
    // The wait allowed within both timeoutMs (negative: none) and the deadline.
    int boundedWait(int timeoutMs) const;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;

private:
    enum class LineEnd
    {
        None,
        CR,
        LF
    };
    void applyOption(int level, int name, int value);
    void dropMatchedLineEnd(std::string& bytes);
    std::string receiveDatagram(int timeoutMs);
    std::string receiveFresh(int timeoutMs);
    std::string takeBuffered();

    struct DelayedOption
    {
        enum Kind
        {
            TTL,
            ReceiveBuffer
        } kind;
        int value;
    };
    std::vector<DelayedOption> m_delayed;
    LineEnd m_lastLineEnd = LineEnd::None;
};
