#pragma once

// The simulated KM210: its measured values, counters and stored configuration,
// and the bytes it answers with. Knows nothing about ptys or timing.

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace km210sim {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kAck = 0x96;
constexpr std::uint8_t kNak = 0x15;

int familyOfType(int type);                // 0, 1, 2 or -1
std::size_t blockSizeOfFamily(int family); // 63, 71, 65
const char* commandName(std::uint8_t command);

void putFloat(Bytes& out, float value);    // big endian
std::uint8_t sum8(const Bytes& bytes);

class DeviceModel {
public:
    DeviceModel(int type, float softwareVersion);

    int type() const { return type_; }
    int family() const { return familyOfType(type_); }
    void setType(int type);  // also installs the default configuration of the new family

    // The reply to a single-byte request, or nothing for requests without one.
    std::optional<Bytes> reply(std::uint8_t command, Clock::time_point now);

    // Framed telegrams. Each returns the acknowledge byte to send.
    std::uint8_t setLowFlowSuppression(std::uint8_t value);
    std::uint8_t writeConfiguration(const Bytes& telegram);  // whole telegram, command byte included

    const Bytes& configuration() const { return block_; }
    // Sets bytes of the stored configuration now (false when they do not fit).
    bool poke(std::size_t offset, const Bytes& bytes);
    // Every configuration stored from now on gets these bytes at offset, as a
    // device that stores a value its own way (clamped, rounded) would.
    void clamp(std::size_t offset, const Bytes& bytes) { clamps_[offset] = bytes; }
    void clearClamps() { clamps_.clear(); }
    void setErrorCode(std::uint8_t code) { errorCode_ = code; }
    void forceContacts(std::optional<std::uint8_t> bits) { forcedContacts_ = bits; }
    bool measuring() const { return measuring_; }
    std::uint8_t lowFlowSuppression() const { return lowFlow_; }
    std::uint8_t errorCode() const { return errorCode_; }

private:
    void advance(Clock::time_point now);
    void trackExtremes();
    std::uint8_t contactBits() const;
    int unitIndex(int offset, int base0, int base1) const;
    float velocityInUnit(float ms) const;
    float volumeFlowInUnit(float litresPerSecond) const;
    float temperatureInUnit(float celsius) const;
    float totaliserInUnit(float litres) const;
    Bytes valueReply(std::uint8_t command, float value, std::uint8_t unitCode) const;
    Bytes tripleReply(std::uint8_t command, float v, float q, float t) const;
    Bytes byteReply(std::uint8_t command, std::uint8_t value) const;

    int type_;
    float version_;
    Bytes block_;
    Clock::time_point start_;
    Clock::time_point lastAdvance_;
    bool measuring_ = true;
    float velocity_ = 0;     // m/s
    float flow_ = 0;         // l/s
    float temperature_ = 0;  // degrees Celsius
    float totalLitres_ = 0;
    std::array<float, 3> min_{};
    std::array<float, 3> max_{};
    std::uint8_t errorCode_ = 0;
    std::uint8_t lowFlow_ = 3;
    std::optional<std::uint8_t> forcedContacts_;
    std::map<std::size_t, Bytes> clamps_;
};

} // namespace km210sim
