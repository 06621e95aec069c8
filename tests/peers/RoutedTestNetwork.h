#pragma once

#include <string>

// Inside a process's own network namespace: a veth link to a second
// namespace that acts as a router (10.77.0.2) with routes that answer in
// known ways. Nothing of it is reachable from the machine's real network.
// The router's kernel sends at most five unreachable answers in a burst (then
// one a second), so a test should not provoke more.
class RoutedTestNetwork
{
public:
    static constexpr const char* Router = "10.77.0.2";
    static constexpr const char* Unreachable = "10.78.0.5"; // "host unreachable" from the router
    static constexpr const char* Prohibited = "10.80.0.5";  // "administratively prohibited"
    static constexpr const char* Silent = "10.79.0.5";      // dropped without an answer
    static constexpr const char* Beyond = "10.81.0.5"; // forwarded on: a hop limit of 1 expires
    // The same over IPv6.
    static constexpr const char* Router6 = "fd00:77::2";
    static constexpr const char* NoRoute6 = "fd00:78::5";
    static constexpr const char* Prohibited6 = "fd00:80::5";
    static constexpr const char* Beyond6 = "fd00:81::5";

    RoutedTestNetwork();
    ~RoutedTestNetwork();
    RoutedTestNetwork(const RoutedTestNetwork&) = delete;
    RoutedTestNetwork& operator=(const RoutedTestNetwork&) = delete;

    // Empty when the network is up; otherwise the command that failed.
    const std::string& failure() const { return m_failure; }

private:
    bool run(const std::string& command);
    std::string m_name;
    std::string m_failure;
};
