#pragma once
// A file descriptor closed with its owner.
#include <unistd.h>

#include <utility>

namespace zorv {

class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : FFd(fd) {}
    ~TUniqueFd() { Reset(); }
    TUniqueFd(TUniqueFd&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            FFd = std::exchange(other.FFd, -1);
        }
        return *this;
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;

    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    void Reset() {
        if (FFd >= 0) ::close(FFd);
        FFd = -1;
    }
    // Hands the descriptor on; the owner holds none afterwards.
    int Release() { return std::exchange(FFd, -1); }

private:
    int FFd = -1;
};

}  // namespace zorv
