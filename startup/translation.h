#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace kx {

// Where the program's data files lie: beside the program in a build tree (<dir>/<name>), or in the
// installed share directory (<dir>/../share/kalibrix/<name>). The candidates, in the order they are
// tried.
QStringList dataDirectories(const QString& programDirectory, const QString& name);

// Installs the program's own translation and Qt's for the locale's languages (German gives the German
// texts; without a translation the texts stay English). The translators belong to app. Returns the
// language of the program's translation that was installed, or an empty text for English.
QString installTranslations(QCoreApplication& app, const QLocale& locale = QLocale());

// The same, from the given directories of the program's own translations.
QString installTranslations(QCoreApplication& app, const QLocale& locale, const QStringList& directories);

} // namespace kx
