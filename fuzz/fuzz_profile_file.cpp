// The settings file layer fed arbitrary files: lookups of arbitrary names,
// the atoi-like conversion, a write read back, and the settings record loaded,
// saved and loaded again.

#include "core/plain_numbers.h"
#include "core/profile_file.h"
#include "core/settings_record.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <string>

using namespace trgui;

namespace {

// What atoi gives, clamped to int, written the plain way.
int referenceLeadingInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    bool huge = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 10'000'000'000LL) {
            huge = true;
            value = 10'000'000'000LL;
        }
    }
    if (huge)
        return negative ? INT_MIN : INT_MAX;
    if (negative)
        value = -value;
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// A name or value that no profile syntax can misread: letters, digits, '_'.
std::string plainName(FuzzedDataProvider& in, std::size_t maxLength)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
    std::string name;
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, maxLength);
    for (std::size_t i = 0; i < length; ++i)
        name.push_back(kAlphabet[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kAlphabet - 2)]);
    return name;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string key = in.ConsumeRandomLengthString(24);
    const std::string number = in.ConsumeRandomLengthString(24);
    const std::string writeSection = plainName(in, 8);
    const std::string writeKey = plainName(in, 8);
    const std::string writeValue = plainName(in, 16);
    const std::string otherSection = plainName(in, 8);
    const std::string otherKey = plainName(in, 8);
    const std::string content = in.ConsumeRemainingBytesAsString();

    FUZZ_CHECK(core::parseLeadingInt(number) == referenceLeadingInt(number));

    const std::string& dir = fuzz::scratchDirectory();
    const std::string path = dir + core::kSettingsFileName;
    fuzz::writeWholeFile(path, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());

    const std::string value = core::readProfileString(path, section, key, "fallback");
    FUZZ_CHECK(value.size() <= 511);
    FUZZ_CHECK(core::readProfileString(path, section, key, "", 7).size() <= 7);

    // The settings record: whatever the file holds, numbers saved are the
    // numbers read back.
    core::SettingsRecord first = core::SettingsRecord::forDirectory(dir);
    first.load();
    FUZZ_CHECK(first.workingDir.size() <= 511);
    FUZZ_CHECK(first.mappedPortDevice("COM1").size() <= 511);
    first.save();
    core::SettingsRecord second = core::SettingsRecord::forDirectory(dir);
    second.load();
    FUZZ_CHECK(second.comPort == first.comPort);
    FUZZ_CHECK(second.language == first.language);
    FUZZ_CHECK(second.ausgrauen == first.ausgrauen);
    FUZZ_CHECK(second.refreshRate == first.refreshRate);

    // A key written reads back as written, and no other key changes with it.
    fuzz::writeWholeFile(path, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    const bool sameKey = sameName(writeSection, otherSection) && sameName(writeKey, otherKey);
    const std::string otherBefore = core::readProfileString(path, otherSection, otherKey, "-");
    if (core::writeProfileString(path, writeSection, writeKey, writeValue)) {
        FUZZ_CHECK(core::readProfileString(path, writeSection, writeKey, "-") == writeValue);
        if (!sameKey)
            FUZZ_CHECK(core::readProfileString(path, otherSection, otherKey, "-") == otherBefore);
    }
    return 0;
}
