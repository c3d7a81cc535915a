#pragma once

#include <stdexcept>

// Raised by the bitmap operations that let a failure travel to their caller
// (a picture too large, memory exhausted, a depth the bitmap cannot take).
class TBitmapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
