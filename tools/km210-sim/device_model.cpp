#include "device_model.h"

#include <algorithm>

#include <cmath>
#include <cstring>

namespace km210sim {

int familyOfType(int type)
{
    if (type >= 1 && type <= 45)
        return (type - 1) / 15;
    return -1;
}

std::size_t blockSizeOfFamily(int family)
{
    static constexpr std::size_t sizes[] = {63, 71, 65};
    return family >= 0 && family <= 2 ? sizes[family] : 0;
}

const char* commandName(std::uint8_t command)
{
    switch (command) {
    case 0x10: return "ReadVelocity";
    case 0x11: return "ReadVolumeFlow";
    case 0x12: return "ReadTotaliser";
    case 0x13: return "ReadTemperature";
    case 0x20: return "ReadMinima";
    case 0x21: return "ReadMaxima";
    case 0x30: return "ReadConfiguration";
    case 0x40: return "ReadContacts";
    case 0x41: return "ReadErrorCode";
    case 0x50: return "Identify";
    case 0x51: return "ReadVersion";
    case 0x60: return "WriteConfiguration";
    case 0x70: return "ResetMinimum";
    case 0x71: return "ResetMaximum";
    case 0x72: return "ResetError";
    case 0x73: return "ResetTotaliser";
    case 0x74: return "StopMeasurement";
    case 0x75: return "StartMeasurement";
    case 0x76: return "SetLowFlowSuppression";
    case 0x77: return "ReadLowFlowSuppression";
    default: return "unknown";
    }
}

void putFloat(Bytes& out, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
}

std::uint8_t sum8(const Bytes& bytes)
{
    unsigned s = 0;
    for (auto b : bytes)
        s += b;
    return static_cast<std::uint8_t>(s);
}

namespace {

void putAt(Bytes& block, std::size_t at, float value)
{
    Bytes f;
    putFloat(f, value);
    std::memcpy(&block[at], f.data(), 4);
}

// A plausible factory configuration: DN 50 pipe, m/s, degrees Celsius, l/min, m3.
Bytes defaultBlock(int family)
{
    Bytes b(blockSizeOfFamily(family), 0);
    if (b.empty())
        return b;
    const bool dr = family == 1;
    b[0] = 11;                          // device language 0
    b[1] = 21;                          // sensor type 0
    if (dr) {
        b[2] = 0; b[3] = 100;           // C-value 100
        b[4] = 0; b[5] = 20;            // T-value 20
    } else {
        b[2] = 20;                      // T-value
        putAt(b, 3, 1.0f);              // C-value / 1000
    }
    putAt(b, 7, 50.0f);                 // pipe size
    b[11] = static_cast<std::uint8_t>((dr ? 150 : 90) + 1);   // m/s
    b[12] = static_cast<std::uint8_t>((dr ? 155 : 100) + 0);  // degrees Celsius
    b[13] = static_cast<std::uint8_t>((dr ? 160 : 110) + 1);  // l/min
    b[14] = static_cast<std::uint8_t>((dr ? 175 : 120) + 1);  // m3
    b[15] = dr ? 180 : 140;
    b[16] = dr ? 185 : 150;
    b[17] = 1;                          // backlight
    putAt(b, 19, 0.0f);
    const bool water = family == 2;     // liquids: flow up to 4 m/s
    putAt(b, 23, water ? 4.0f : 20.0f);
    putAt(b, 28, 0.0f);
    putAt(b, 32, 100.0f);
    b[36] = dr ? 200 : 190;
    putAt(b, 37, 3.0f);
    putAt(b, 41, 2.8f);
    putAt(b, 45, water ? 3.5f : 23.0f);
    putAt(b, 49, water ? 3.2f : 22.5f);
    putAt(b, 54, 1.0f);
    b[58] = 10;                         // measuring time
    putAt(b, 59, 1.0f);                 // multiplication factor
    if (family == 2) {
        b[63] = 30;
        b[64] = 40;
    }
    if (dr) {
        b[63] = 140;
        b[64] = 135;
        b[65] = 31;
        putAt(b, 66, 1.0f);
        b[70] = 0;
    }
    return b;
}

// Output option of a type code: 0 none, 1 S2 (two limit contacts), 2 N4 (all four).
int contactOption(int type)
{
    const int position = (type - 1) % 15;
    if (position == 1 || (position >= 7 && position <= 10))
        return 1;
    if (position == 2 || position >= 11)
        return 2;
    return 0;
}

} // namespace

DeviceModel::DeviceModel(int type, float softwareVersion)
    : type_(type), version_(softwareVersion), block_(defaultBlock(familyOfType(type))),
      start_(Clock::now()), lastAdvance_(start_)
{
    advance(start_);
    min_ = {velocity_, flow_, temperature_};
    max_ = min_;
}

void DeviceModel::setType(int type)
{
    type_ = type;
    block_ = defaultBlock(familyOfType(type));
}

void DeviceModel::advance(Clock::time_point now)
{
    const double t = std::chrono::duration<double>(now - start_).count();
    const double dt = std::chrono::duration<double>(now - lastAdvance_).count();
    lastAdvance_ = now;
    if (!measuring_)
        return;
    // Slow drifts with a little ripple, so that consecutive polls differ.
    velocity_ = static_cast<float>(2.5 + 0.8 * std::sin(t / 7.0) + 0.05 * std::sin(t * 3.1));
    flow_ = velocity_ * 1.9635f;  // DN 50: litres per second
    temperature_ = static_cast<float>(21.5 + 1.5 * std::sin(t / 23.0));
    totalLitres_ += static_cast<float>(flow_ * dt);
    trackExtremes();
}

void DeviceModel::trackExtremes()
{
    const std::array<float, 3> now{velocity_, flow_, temperature_};
    for (std::size_t i = 0; i < 3; ++i) {
        min_[i] = std::min(min_[i], now[i]);
        max_[i] = std::max(max_[i], now[i]);
    }
}

int DeviceModel::unitIndex(int offset, int base0, int base1) const
{
    if (block_.size() <= static_cast<std::size_t>(offset))
        return 0;
    return block_[static_cast<std::size_t>(offset)] - (family() == 1 ? base1 : base0);
}

float DeviceModel::velocityInUnit(float ms) const
{
    switch (unitIndex(11, 90, 150)) {
    case 0: return ms / 20.0f * 100.0f;  // percent of a 20 m/s range
    case 2: return ms * 3.28084f;
    default: return ms;
    }
}

float DeviceModel::temperatureInUnit(float c) const
{
    switch (unitIndex(12, 100, 155)) {
    case 1: return c * 1.8f + 32.0f;
    case 2: return c + 273.15f;
    default: return c;
    }
}

float DeviceModel::volumeFlowInUnit(float ls) const
{
    static constexpr float factors[] = {1.0f, 60.0f, 3.6f, 15.8503f};
    static constexpr float factorsDr[] = {1.0f, 60.0f, 3.6f, 0.0353147f, 2.11888f, 1.0f,
                                          60.0f, 3600.0f, 2.20462f, 132.277f, 7936.64f};
    const int i = unitIndex(13, 110, 160);
    if (family() == 1)
        return i >= 0 && i < 11 ? ls * factorsDr[i] : ls;
    return i >= 0 && i < 4 ? ls * factors[i] : ls;
}

float DeviceModel::totaliserInUnit(float litres) const
{
    static constexpr float factors[] = {1.0f, 0.001f, 0.264172f};
    static constexpr float factorsDr[] = {1.0f, 0.001f, 0.0353147f, 1.0f, 2.20462f};
    const int i = unitIndex(14, 120, 175);
    if (family() == 1)
        return i >= 0 && i < 5 ? litres * factorsDr[i] : litres;
    return i >= 0 && i < 3 ? litres * factors[i] : litres;
}

std::uint8_t DeviceModel::contactBits() const
{
    if (forcedContacts_)
        return *forcedContacts_;
    std::uint8_t bits = 0;
    const int option = contactOption(type_);
    if (option >= 1) {
        if (velocity_ > 2.5f)
            bits |= 0x01;
        if (temperature_ > 22.0f)
            bits |= 0x02;
    }
    if (option == 2 && measuring_)
        bits |= 0x04;
    if (errorCode_ == 0)
        bits |= 0x08;  // the error contact is active low
    return bits;
}

Bytes DeviceModel::valueReply(std::uint8_t command, float value, std::uint8_t unitCode) const
{
    Bytes r{command, 8};
    putFloat(r, value);
    r.push_back(unitCode);
    r.push_back(sum8(r));
    return r;
}

Bytes DeviceModel::tripleReply(std::uint8_t command, float v, float q, float t) const
{
    Bytes r{command, 18};
    putFloat(r, velocityInUnit(v));
    r.push_back(block_.size() > 11 ? block_[11] : 0);
    putFloat(r, volumeFlowInUnit(q));
    r.push_back(block_.size() > 13 ? block_[13] : 0);
    putFloat(r, temperatureInUnit(t));
    r.push_back(block_.size() > 12 ? block_[12] : 0);
    r.push_back(sum8(r));
    return r;
}

Bytes DeviceModel::byteReply(std::uint8_t command, std::uint8_t value) const
{
    Bytes r{command, 4, value};
    r.push_back(sum8(r));
    return r;
}

std::optional<Bytes> DeviceModel::reply(std::uint8_t command, Clock::time_point now)
{
    advance(now);
    const auto unit = [this](std::size_t at) { return block_.size() > at ? block_[at] : std::uint8_t{0}; };
    switch (command) {
    case 0x10: return valueReply(command, velocityInUnit(velocity_), unit(11));
    case 0x11: return valueReply(command, volumeFlowInUnit(flow_), unit(13));
    case 0x12: return valueReply(command, totaliserInUnit(totalLitres_), unit(14));
    case 0x13: return valueReply(command, temperatureInUnit(temperature_), unit(12));
    case 0x20: return tripleReply(command, min_[0], min_[1], min_[2]);
    case 0x21: return tripleReply(command, max_[0], max_[1], max_[2]);
    case 0x30: {
        Bytes r{command, static_cast<std::uint8_t>(block_.size() + 3)};
        r.insert(r.end(), block_.begin(), block_.end());
        r.push_back(sum8(r));
        return r;
    }
    case 0x40: return byteReply(command, contactBits());
    case 0x41: return byteReply(command, errorCode_);
    case 0x50: return byteReply(command, static_cast<std::uint8_t>(type_));
    case 0x51: {
        Bytes r{command, 7};
        putFloat(r, version_);
        r.push_back(sum8(r));
        return r;
    }
    case 0x70: min_ = {velocity_, flow_, temperature_}; return std::nullopt;
    case 0x71: max_ = {velocity_, flow_, temperature_}; return std::nullopt;
    case 0x72: errorCode_ = 0; return std::nullopt;
    case 0x73: totalLitres_ = 0; return std::nullopt;
    case 0x74: measuring_ = false; return std::nullopt;
    case 0x75: measuring_ = true; return std::nullopt;
    case 0x77:
        if (family() != 1)
            return std::nullopt;  // only DR devices know low-flow suppression
        return byteReply(command, lowFlow_);
    default: return std::nullopt;
    }
}

std::uint8_t DeviceModel::setLowFlowSuppression(std::uint8_t value)
{
    if (value > 10)
        return kNak;
    if (value != 0 && family() == 1)
        lowFlow_ = value;
    return kAck;
}

std::uint8_t DeviceModel::writeConfiguration(const Bytes& telegram)
{
    const std::size_t size = blockSizeOfFamily(family());
    if (telegram.size() != size + 3 || telegram[1] != telegram.size())
        return kNak;
    const Bytes body(telegram.begin(), telegram.end() - 1);
    if (sum8(body) != telegram.back())
        return kNak;
    block_.assign(telegram.begin() + 2, telegram.end() - 1);
    for (const auto& [offset, bytes] : clamps_)
        poke(offset, bytes);
    return kAck;
}

bool DeviceModel::poke(std::size_t offset, const Bytes& bytes)
{
    if (offset + bytes.size() > block_.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), block_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

} // namespace km210sim
