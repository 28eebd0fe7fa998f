#pragma once

#include <cstddef>
#include <cstdint>

namespace trgui::device {

// Size of every read on the line: a read asks for this many bytes and returns
// when they arrived or when as many milliseconds have passed.
inline constexpr std::size_t kReadSize = 80;

// The narrow view of the serial line that the protocol code works against.
// SerialPort implements it over the operating system; tests put a scripted
// link behind it.
class SerialLink {
public:
    virtual ~SerialLink() = default;

    virtual bool isOpen() const = 0;
    // Reads up to kReadSize bytes into buffer; count receives the number read
    // (0 when the link is not open). Returns 0 on success, -1 on failure.
    virtual int read(std::uint8_t* buffer, std::size_t& count) = 0;
    // Writes length bytes. Returns 0 when all were accepted, -1 otherwise
    // (nothing is sent when the link is not open).
    virtual int write(const std::uint8_t* data, std::size_t length) = 0;
    // Throws away everything received so far.
    virtual void purgeInput() = 0;
    // The pauses of the protocol go through here so a scripted link can skip them.
    virtual void pause(int milliseconds);
};

} // namespace trgui::device
