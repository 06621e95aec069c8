#pragma once

#include <stdexcept>

// Raised when the platform refuses a timer.
class EOutOfResources : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
