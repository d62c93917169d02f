#pragma once
// Taking a fuzzer's bytes apart: small numbers first, then texts separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <string>

namespace pelkano::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next byte, or 0 when none is left.
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A value in low..high from the next byte.
    int inRange(int low, int high) { return low + static_cast<int>(byte()) % (high - low + 1); }
    // The next two bytes as an unsigned 16-bit number.
    int word() { return byte() | (byte() << 8); }
    bool empty() const { return pos_ >= size_; }
    // The bytes up to the next NUL (or the end).
    std::string text()
    {
        std::string out;
        while (pos_ < size_ && data_[pos_] != 0)
            out += static_cast<char>(data_[pos_++]);
        if (pos_ < size_)
            ++pos_;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace pelkano::fuzz
