// A recording read back for the chart, fed arbitrary files: it is read or
// refused, and what is read holds one time stamp per value of each channel.

#include "fuzz_support.h"
#include "pages/visualisation/core/recording_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    trgui::pages::visualisation::NotARecording why{};
    if (const auto series = trgui::pages::visualisation::readRecording(bytes, &why)) {
        FUZZ_CHECK(!series->times.isEmpty());
        FUZZ_CHECK(series->temperature.size() == series->flow.size());
        FUZZ_CHECK(static_cast<qsizetype>(series->temperature.size()) == series->times.size());
    }
    return 0;
}
