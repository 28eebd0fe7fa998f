#pragma once

// A serial link whose replies are the fuzzer's bytes.

#include "device/serial_link.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace trgui::fuzz {

// The device's side of a conversation, taken from the fuzzer's input. Each read
// takes a head byte: 0xF0 and above make the read fail, anything else modulo
// 81 is how many of the following bytes arrive. An exhausted input is a silent
// line. Every write is kept.
struct LineScript {
    LineScript(const std::uint8_t* bytes, std::size_t length) : data(bytes), size(length) {}

    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::vector<std::vector<std::uint8_t>> writes;

    bool exhausted() const { return at >= size; }
};

class FuzzLink : public device::SerialLink {
public:
    explicit FuzzLink(LineScript& script) : script_(script) {}

    bool isOpen() const override { return !failed_; }
    int read(std::uint8_t* buffer, std::size_t& count) override
    {
        count = 0;
        if (failed_)
            return -1;
        if (script_.exhausted())
            return 0;
        const std::uint8_t head = script_.data[script_.at++];
        if (head >= 0xF0) {
            failed_ = true;
            return -1;
        }
        count = std::min<std::size_t>(head % (device::kReadSize + 1), script_.size - script_.at);
        std::copy_n(script_.data + script_.at, count, buffer);
        script_.at += count;
        return 0;
    }
    int write(const std::uint8_t* data, std::size_t length) override
    {
        if (failed_)
            return -1;
        script_.writes.emplace_back(data, data + length);
        return 0;
    }
    void purgeInput() override {}
    void pause(int) override {}
    // A failed line stays failed, as a pulled adapter does.
    bool failed() const override { return failed_; }

private:
    LineScript& script_;
    bool failed_ = false;
};

} // namespace trgui::fuzz
