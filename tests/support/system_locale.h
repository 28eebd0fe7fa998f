#pragma once

#include <QByteArray>

#include <clocale>
#include <cstdio>

namespace trgui::testing {

// The locale runs of the suite name a system locale in TRGUI_TEST_LOCALE (and
// LC_ALL); Qt's application object has put the C library under it. A run that
// is not really under it would prove nothing, so it fails instead.
inline bool underTheLocaleAskedFor()
{
    const QByteArray wanted = qgetenv("TRGUI_TEST_LOCALE");
    if (wanted.isEmpty())
        return true;
    const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
    const QByteArray language = wanted.left(wanted.indexOf('.'));
    if (numeric && QByteArray(numeric).startsWith(language))
        return true;
    std::fprintf(stderr, "The locale %s is not available (numbers follow \"%s\"); tools/ensure-packages makes it.\n",
                 wanted.constData(), numeric ? numeric : "?");
    return false;
}

} // namespace trgui::testing
