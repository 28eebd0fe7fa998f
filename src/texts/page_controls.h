#pragma once

#include <span>

namespace trgui::texts {

enum class ControlKind { Label, Field, Edit, Button, CheckBox, ComboBox, Image, Frame };

// One control of a page: its id (the language files address controls by it),
// its kind and its built-in German caption (nullptr where it has none).
struct ControlDef {
    int id;
    ControlKind kind;
    const char* caption;  // UTF-8
};

constexpr bool hasCaption(const ControlDef& c)
{
    return c.caption != nullptr;
}

} // namespace trgui::texts
