#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trgui::device {

// Size of every read on the line: a read asks for this many bytes and returns
// when they arrived or when the line has fallen silent (below).
inline constexpr std::size_t kReadSize = 80;

// Once a reply is complete, the read ends when the line has then stayed quiet
// this long. A USB serial adapter hands on what it received when its latency
// timer runs out (16 ms by default), so a byte that follows a complete reply
// can arrive up to that much later; 20 ms still sees it, and the reply is then
// known to be too long rather than taken for the start of the next one. A
// device that paces its bytes more slowly is given half as long again as
// its slowest gap (up to kSilenceEndsReadMs).
inline constexpr int kQuietGapMs = 20;

// A read ends when no byte has come for this long since the last one (or
// since the read began), so an adapter that paces its bytes is read whole...
inline constexpr int kSilenceEndsReadMs = 80;
// ...but never takes longer than this, so a babbling line cannot hold the
// device thread.
inline constexpr int kReadLimitMs = 1000;

// How one reply was framed: its length, whether byte 0 was the request and
// whether the last byte was the low 8 bits of the sum of the others.
struct ReplyFraming {
    std::size_t length = 0;
    bool echoes = false;
    bool sums = false;
    bool operator==(const ReplyFraming&) const = default;
};

// The framings of the latest replies to one request on a connection, newest
// last; what judgeReply (protocol.h) holds a reply against.
struct ReplyShape {
    static constexpr std::size_t kRemembered = 8;
    std::array<ReplyFraming, kRemembered> recent{};
    std::size_t count = 0;  // remembered so far, at most kRemembered
    std::size_t next = 0;   // where the next one goes

    void remember(const ReplyFraming& framing)
    {
        recent[next] = framing;
        next = (next + 1) % kRemembered;
        count = count < kRemembered ? count + 1 : kRemembered;
    }
    int countOf(const ReplyFraming& framing) const
    {
        int n = 0;
        for (std::size_t i = 0; i < count; ++i)
            n += recent[i] == framing ? 1 : 0;
        return n;
    }
};

// The narrow view of the serial line that the protocol code works against.
// SerialPort implements it over the operating system; tests put a scripted
// link behind it.
class SerialLink {
public:
    SerialLink();
    virtual ~SerialLink() = default;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Tells this link from every other one made in this run, also from a
    // closed one whose memory it now has.
    std::uint64_t serial() const { return serial_; }

    virtual bool isOpen() const = 0;
    // Reads up to kReadSize bytes into buffer, until kSilenceEndsReadMs pass
    // without a byte (kReadLimitMs at most); count receives the number read
    // (0 when the link is not open). Returns 0 on success, -1 on failure.
    virtual int read(std::uint8_t* buffer, std::size_t& count) = 0;
    // Reads like read(), but once complete bytes (0: no such length) have
    // arrived, ends as soon as the line stays quiet for kQuietGapMs. Links
    // that cannot tell quiet from slow read as read() does.
    virtual int readComplete(std::uint8_t* buffer, std::size_t& count, std::size_t complete)
    {
        (void)complete;
        return read(buffer, count);
    }
    // Reads like readComplete(), but from the moment a request went out: the
    // reply may take up to withinMs to begin (the protocol's pause), and a
    // complete reply ends the read as soon as it is there instead of after
    // the whole pause. Links that cannot tell pause, then read.
    virtual int readWithin(std::uint8_t* buffer, std::size_t& count, std::size_t complete, int withinMs)
    {
        pause(withinMs);
        return readComplete(buffer, count, complete);
    }
    // Writes length bytes. Returns 0 when all were accepted, -1 otherwise
    // (nothing is sent when the link is not open).
    virtual int write(const std::uint8_t* data, std::size_t length) = 0;
    // Throws away everything received so far.
    virtual void purgeInput() = 0;
    // Whether the line has failed since it was opened (a read or write error:
    // the adapter was pulled, the device node went away). A failed link stays
    // failed; it is closed and opened anew.
    virtual bool failed() const { return false; }
    // The pauses of the protocol go through here so a scripted link can skip them.
    virtual void pause(int milliseconds);

    // Whether the line is known to hold nothing: the last exchange ended with
    // exactly the reply it expected. Not so on a freshly opened line.
    bool lineQuiet() const { return lineQuiet_; }
    void setLineQuiet(bool quiet) { lineQuiet_ = quiet; }

    // What this connection's replies showed, by request byte.
    ReplyShape& replyShape(std::uint8_t request) { return shapes_[request]; }
    // The reply last read was judged: refusal is empty when it was taken.
    // The wire trace writes it down.
    virtual void replyJudged(std::string_view refusal) { (void)refusal; }

private:
    std::uint64_t serial_;
    bool lineQuiet_ = false;
    std::array<ReplyShape, 256> shapes_{};
};

} // namespace trgui::device
