#pragma once

#include "TSocksBlockSocket.h"

// A blocking TCP connection.
class TTCPBlockSocket : public TSocksBlockSocket
{
public:
    ~TTCPBlockSocket() override;

    int Connect(const std::string& host, const std::string& port) override;
    // Sends what is left, reads and discards what the peer still sends, closes.
    void Close() override;

protected:
    int SocketType() const override;
    int SocketProtocol() const override;
    bool IsStream() const override { return true; }
    int sendBytes(const char* data, std::size_t size) override;

private:
    int connectWithin(const sockaddr_storage& remote, socklen_t remoteLen);
};
