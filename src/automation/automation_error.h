#pragma once

#include <stdexcept>
#include <string>

// The error an automation server raises: a failed object creation, an unknown
// member, a wrong argument, or a failure inside the server itself.
class TAutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
