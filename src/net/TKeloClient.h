#pragma once

#include <string>

// What every network client of the program has: where to go, which local
// address to use ("0.0.0.0": none chosen) and how long to wait.
class TKeloClient
{
public:
    virtual ~TKeloClient() = default;

    std::string TargetHost = "127.0.0.1";
    std::string TargetPort = "0";
    std::string IPInterface = "0.0.0.0";
    int Timeout = 5000; // milliseconds
    std::string UserName;
    std::string Password;
};
