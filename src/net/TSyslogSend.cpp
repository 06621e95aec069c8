#include "TSyslogSend.h"

#include "SocketErrors.h"

#include <ctime>
#include <vector>

TSyslogSend::TSyslogSend()
{
    TargetPort = "514";
}

bool TSyslogSend::Send()
{
    std::vector<std::string> addresses;
    Sock.ResolveName(TBlockSocket::LocalHostName(), addresses);
    SysLogMessage.LocalIP = addresses.empty() ? std::string("0.0.0.0") : addresses.front();
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &SysLogMessage.DateTime);

    const std::string packet = SysLogMessage.PacketBuf();
    if (packet.size() > kMaxPacket)
        return false;
    if (Sock.Connect(TargetHost, TargetPort) != SockErr::Ok)
        return false;
    return Sock.SendText(packet) == SockErr::Ok;
}

bool SyslogSendMessage(const std::string& server, std::uint8_t facility, TSyslogSeverity severity,
                       const std::string& text)
{
    TSyslogSend sender;
    sender.TargetHost = server;
    sender.SysLogMessage.Facility = facility;
    sender.SysLogMessage.Severity = severity;
    sender.SysLogMessage.LogMessage = text;
    return sender.Send();
}
