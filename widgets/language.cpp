#include "widgets/language.h"

#include "core/datapaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString g_current = QStringLiteral("en");
// The translators installed last; a later install replaces them (tests switch languages).
QTranslator* g_own = nullptr;
QTranslator* g_toolkit = nullptr;

void removeTranslators()
{
    for (QTranslator** translator : {&g_own, &g_toolkit}) {
        if (*translator)
            QCoreApplication::removeTranslator(*translator);
        delete *translator;
        *translator = nullptr;
    }
    g_current = QStringLiteral("en");
}

} // namespace

namespace Language {

QCommandLineOption option()
{
    return QCommandLineOption(QStringLiteral("lang"),
                              QStringLiteral("The language of the windows, such as \"es\" for Spanish; "
                                             "without it the system's language, else English."),
                              QStringLiteral("CODE"));
}

bool install(const QString& code)
{
    // The program's own forms: a Spanish machine still shows and reads 8.5 hours and 12/08/2026.
    QLocale::setDefault(QLocale::c());
    removeTranslators();
    const QLocale wanted = code.isEmpty() ? QLocale::system() : QLocale(code);
    if (wanted.language() == QLocale::English)
        return true;
    if (wanted.language() == QLocale::C) // the system's plain locale, or a code that names no language
        return code.isEmpty() || code == QLatin1String("C");
    g_own = new QTranslator;
    // Built into the program, so a translation can never be missing beside it.
    if (!g_own->load(wanted, QStringLiteral("qorvil"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        removeTranslators();
        return code.isEmpty(); // a system language without a translation is simply English
    }
    QCoreApplication::installTranslator(g_own);
    // The toolkit's texts (Yes, No, Cancel, the file box); without the system's package they stay English.
    g_toolkit = new QTranslator;
    if (g_toolkit->load(wanted, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(g_toolkit);
    g_current = QFileInfo(g_own->filePath()).completeBaseName().section(QLatin1Char('_'), 1);
    return true;
}

QString current()
{
    return g_current;
}

QLocale namesLocale()
{
    return g_current == QLatin1String("en") ? QLocale(QLocale::English, QLocale::UnitedStates) : QLocale(g_current);
}

QString document(const QString& fileName)
{
    if (g_current != QLatin1String("en")) {
        QString translated = DataPaths::document(g_current + QLatin1Char('/') + fileName);
        if (QFileInfo::exists(translated))
            return translated;
    }
    return DataPaths::document(fileName);
}

} // namespace Language
