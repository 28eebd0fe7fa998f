// Configuration files and blocks fed arbitrary bytes: a file is taken or
// refused whole, a block of the right size always decodes, and what a decode
// gives encodes into a block that decodes to the same form again.

#include "device/protocol.h"
#include "fuzz_support.h"
#include "pages/configuration/core/configuration_block.h"
#include "pages/configuration/core/configuration_file.h"

using namespace trgui;
using namespace trgui::pages::configuration;

namespace {

void checkBlock(device::Family family, std::span<const std::uint8_t> bytes)
{
    const auto decoded = decodeBlock(family, bytes);
    const std::size_t size = device::configurationBlockSize(family);
    FUZZ_CHECK(decoded.has_value() == (size != 0 && bytes.size() == size));
    if (!decoded)
        return;
    const EncodedBlock encoded = encodeBlock(family, decoded->form);
    FUZZ_CHECK(encoded.block.size() == size);
    const auto again = decodeBlock(family, encoded.block);
    FUZZ_CHECK(again.has_value());
    if (!encoded.unfit.empty())
        return;
    // Once through the form, the values are stable (as numbers: a tiny
    // negative value shows as "-0.00" and comes back as zero).
    const EncodedBlock twice = encodeBlock(family, again->form);
    const auto third = decodeBlock(family, twice.block);
    FUZZ_CHECK(third.has_value());
    FUZZ_CHECK(third->form.selection == again->form.selection);
    FUZZ_CHECK(third->configuration.value == again->configuration.value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto file = parseConfigurationFile(bytes);
    if (file) {
        FUZZ_CHECK(file->code >= 1 && file->code <= 45);
        FUZZ_CHECK(size <= static_cast<std::size_t>(kFileSize));
        const device::Family family = device::familyOf(file->code);
        FUZZ_CHECK(file->block.size() == device::configurationBlockSize(family));
        FUZZ_CHECK(bytes.startsWith(configurationFileBytes(file->code, file->block).left(1 + static_cast<qsizetype>(file->block.size()))));
        checkBlock(family, file->block);
    }
    if (size >= 1) {
        // The first byte picks a family (also one that does not exist), the rest is the block.
        const auto family = static_cast<device::Family>(static_cast<int>(data[0] % 5) - 1);
        checkBlock(family, std::span(data + 1, size - 1));
    }
    return 0;
}
