#pragma once

#include <string>

// The parts of a URL as the HTTP client uses them.
struct THttpUrlParts
{
    std::string Prot = "http";
    std::string User;
    std::string Pass;
    std::string Host;
    std::string Port = "80";
    std::string Path;
    std::string Para;
    std::string URI; // the request target: "/" and everything after the authority
};

THttpUrlParts SplitURL(const std::string& url);
