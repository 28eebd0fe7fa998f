#pragma once

// The texts the program adds to those of the language files, in German,
// English and French, all in one table (catalogue_entries.inc), so a
// translator finds them in one place and another language is one more column.
// They are not numbered entries in the language files: those files keep the
// format and the entries they have always had, and each page loads only its
// own, while these texts are shared by pages, the core and the command line.

#include <QString>

namespace trgui::texts {

enum class Text : int {
#define TRGUI_TEXT(id, kind, de, en, fr) id,
#include "texts/catalogue_entries.inc"
#undef TRGUI_TEXT
};

// How many texts the catalogue holds; ids run from 0 to this, less one.
inline constexpr int kTextCount = 0
#define TRGUI_TEXT(id, kind, de, en, fr) +1
#include "texts/catalogue_entries.inc"
#undef TRGUI_TEXT
    ;

// The text in a language by LANGUAGE value (0 German, 1 English, 2 French);
// German for a value that names no language.
QString text(Text id, int language);

// Whether two or all three languages share the text (a name, an
// abbreviation), marked so in the table.
bool isShared(Text id);

} // namespace trgui::texts
