#pragma once

// Configuration files: the device type code in one byte, then the family's
// block padded with zero bytes to 100 bytes (101 bytes in all).

#include "pages/configuration/core/configuration_block.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trgui::pages::configuration {

inline constexpr qsizetype kFileBlockBytes = 100;
inline constexpr qsizetype kFileSize = 1 + kFileBlockBytes;

// The file's bytes for a code and its family's block. Without a family the
// file is the code byte alone.
QByteArray configurationFileBytes(int code, const Block& block);

struct ConfigurationFile {
    int code = 0;   // 1..45
    Block block;    // the family's block size
};
// A file of ours: a code 1..45 and at least that family's block, at most
// 101 bytes. Anything else is none.
std::optional<ConfigurationFile> parseConfigurationFile(const QByteArray& bytes);

// Writes the file through a temporary beside it, so a failed save never
// destroys an existing file. False when it could not be written; why then
// holds the system's reason.
bool saveConfigurationFile(const QString& path, const QByteArray& bytes, QString* why = nullptr);

enum class LoadError { CannotOpen, NotOurs };
struct LoadResult {
    std::optional<ConfigurationFile> file;
    std::optional<LoadError> error;
};
LoadResult loadConfigurationFile(const QString& path);

} // namespace trgui::pages::configuration
