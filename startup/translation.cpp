#include "startup/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace kx {

QStringList dataDirectories(const QString& programDirectory, const QString& name) {
    const QDir dir(programDirectory);
    return {QDir::cleanPath(dir.filePath(name)),
            QDir::cleanPath(dir.filePath(QStringLiteral("../share/kalibrix/") + name))};
}

QString installTranslations(QCoreApplication& app, const QLocale& locale) {
    return installTranslations(app, locale,
                               dataDirectories(QCoreApplication::applicationDirPath(), QStringLiteral("translations")));
}

QString installTranslations(QCoreApplication& app, const QLocale& locale, const QStringList& directories) {
    QString language;
    QString found;
    for (const QString& dir : directories) {
        auto* own = new QTranslator(&app);
        if (own->load(locale, QStringLiteral("kalibrix"), QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(own);
            language = own->language();
            found = dir;
            break;
        }
        delete own;
    }
    // Qt's own texts (the command line's help, standard dialogs) only where the program is translated,
    // so that a window never mixes two languages: beside the program's own (where a program that
    // brings its Qt along keeps them), else Qt's.
    if (!language.isEmpty()) {
        auto* qt = new QTranslator(&app);
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), found) ||
            qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
    }
    return language;
}

} // namespace kx
