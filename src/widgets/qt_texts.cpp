#include "widgets/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace trgui::widgets {

bool useQtTexts(int language)
{
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const char* const names[] = {"qtbase_de", nullptr, "qtbase_fr"};
    if (language < 0 || language > 2 || !names[language])
        return true;  // English is Qt's own
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLatin1String(names[language]), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    installed = translator.release();
    QCoreApplication::installTranslator(installed);
    return true;
}

} // namespace trgui::widgets
