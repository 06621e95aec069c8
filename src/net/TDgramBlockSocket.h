#pragma once

#include "TSocksBlockSocket.h"

// Datagram behaviour shared by UDP and ICMP sockets: Connect only remembers
// the destination, and each received datagram's sender becomes the remote
// address.
class TDgramBlockSocket : public TSocksBlockSocket
{
public:
    // When set, Connect also associates the socket with the destination: the
    // kernel then drops datagrams from any other sender and reports an ICMP
    // "port unreachable" to the next receive.
    bool AssociatePeer = false;

    int Connect(const std::string& host, const std::string& port) override;

protected:
    int sendBytes(const char* data, std::size_t size) override;
    long receiveBytes(char* data, std::size_t size) override;

private:
    bool m_associated = false;
};
