#include "texts/catalogue.h"

#include <array>
#include <cstddef>

namespace trgui::texts {

namespace {

enum Kind : bool { Distinct = false, Shared = true };

struct Entry {
    Kind kind;
    std::array<const char*, 3> utf8;  // German, English, French
};

constexpr Entry kEntries[] = {
#define TRGUI_TEXT(id, kind, de, en, fr) {kind, {de, en, fr}},
#include "texts/catalogue_entries.inc"
#undef TRGUI_TEXT
};
static_assert(std::size(kEntries) == static_cast<std::size_t>(kTextCount));

const Entry& entry(Text id)
{
    return kEntries[static_cast<std::size_t>(id)];
}

} // namespace

QString text(Text id, int language)
{
    const std::size_t column = language >= 0 && language < 3 ? static_cast<std::size_t>(language) : 0;
    return QString::fromUtf8(entry(id).utf8[column]);
}

bool isShared(Text id)
{
    return entry(id).kind == Shared;
}

} // namespace trgui::texts
