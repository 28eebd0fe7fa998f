#pragma once

#include "device/serial_link.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace trgui::device {

// A wire trace for support: stands in front of the real link and writes one
// line per request and per reply (time to the millisecond, direction, the
// bytes in hex, the command's name, and for replies the outcome) to a plain
// UTF-8 text file, appending. Bytes thrown away before a request are traced
// as a drain. The lines can be read beside the simulator's --verbose log.
class TraceLink final : public SerialLink {
public:
    TraceLink(std::unique_ptr<SerialLink> inner, QString path);

    bool isOpen() const override { return inner_->isOpen(); }
    int read(std::uint8_t* buffer, std::size_t& count) override;
    int readComplete(std::uint8_t* buffer, std::size_t& count, std::size_t complete) override;
    int readWithin(std::uint8_t* buffer, std::size_t& count, std::size_t complete, int withinMs) override;
    int write(const std::uint8_t* data, std::size_t length) override;
    void purgeInput() override { inner_->purgeInput(); }
    void pause(int milliseconds) override { inner_->pause(milliseconds); }
    bool failed() const override { return inner_->failed(); }
    void replyJudged(std::string_view refusal) override;
    ~TraceLink() override;

    // One trace line (without the time), for the tests: direction "->", "<-"
    // or "drain", the bytes, and what they were.
    static std::string describe(const std::string& direction, const std::uint8_t* bytes, std::size_t count,
                                std::optional<std::uint8_t> command, bool reply);

private:
    void trace(const std::string& line);
    void traced(const std::uint8_t* buffer, std::size_t count);
    // A reply line waits for its verdict; unjudged, it is written with the
    // outcome of its length alone.
    void flushPendingReply();

    std::unique_ptr<SerialLink> inner_;
    QString path_;
    std::optional<std::uint8_t> command_;  // of the request last written
    bool awaitingReply_ = false;
    std::optional<std::string> pendingReply_;  // the reply line, without its outcome
    std::string pendingByLength_;              // the same line judged by its length
};

} // namespace trgui::device
