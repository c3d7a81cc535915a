#pragma once

#include <utility>

// Owns one file descriptor and closes it when it goes.
class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : Fd(fd) {}
    ~TUniqueFd() { Reset(); }
    TUniqueFd(TUniqueFd&& other) noexcept : Fd(other.Release()) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;

    int Get() const { return Fd; }
    bool IsOpen() const { return Fd >= 0; }
    explicit operator bool() const { return IsOpen(); }

    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(Fd, -1); }
    // Closes the descriptor held (if any) and holds fd instead.
    void Reset(int fd = -1);
    // Closes now; false when close reports an error (a write that did not land).
    bool Close();

private:
    int Fd = -1;
};
