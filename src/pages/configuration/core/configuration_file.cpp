#include "pages/configuration/core/configuration_file.h"

#include "device/protocol.h"
#include "platform/platform.h"

#include <QFile>

namespace trgui::pages::configuration {

QByteArray configurationFileBytes(int code, const Block& block)
{
    QByteArray bytes(1, static_cast<char>(code));
    if (block.empty())
        return bytes;
    bytes.append(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
    bytes.resize(kFileSize, '\0');
    return bytes;
}

std::optional<ConfigurationFile> parseConfigurationFile(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kFileSize)
        return std::nullopt;
    const int code = static_cast<std::uint8_t>(bytes[0]);
    const auto size = static_cast<qsizetype>(device::configurationBlockSize(device::familyOf(code)));
    if (size == 0 || bytes.size() < 1 + size)
        return std::nullopt;
    ConfigurationFile file;
    file.code = code;
    file.block.assign(bytes.begin() + 1, bytes.begin() + 1 + size);
    return file;
}

bool saveConfigurationFile(const QString& path, const QByteArray& bytes, QString* why)
{
    return platform::writeFileWhole(path, bytes, platform::Existing::Replace, why);
}

LoadResult loadConfigurationFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, LoadError::CannotOpen};
    // One byte more than a file of ours can hold tells a long file from a full one.
    const QByteArray bytes = file.read(kFileSize + 1);
    if (auto parsed = parseConfigurationFile(bytes))
        return {std::move(parsed), std::nullopt};
    return {std::nullopt, LoadError::NotOurs};
}

} // namespace trgui::pages::configuration
