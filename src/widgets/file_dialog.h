#pragma once

#include <QString>

class QWidget;

namespace trgui::widgets {

enum class FileDialogKind { Open, Save };

// Asks for a file name in a dialog that never reads a file of the folder it
// shows. Qt's own dialog guesses each file's type from its contents and
// restores the folder any Qt program of the user visited last; a file whose
// read blocks there (/proc/kmsg, a device node) would freeze the program for
// good. Ours types files by name alone and starts in directory (the home
// folder when empty). The name of the filter chosen goes to selectedFilter.
// A save dialog offers suggestedName (when given) in its name field. An
// empty result means the user cancelled.
QString chooseFile(QWidget* parent, FileDialogKind kind, const QString& title, const QString& directory,
                   const QString& filter, QString* selectedFilter = nullptr, const QString& suggestedName = {});

} // namespace trgui::widgets
