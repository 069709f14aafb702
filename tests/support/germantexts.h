#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace kx::test {

// The program's texts in German, as on a German desktop, while it lives; created before the program.
class GermanTexts {
public:
    GermanTexts() : m_locale(QLocale()) {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (!m_translator.load(QStringLiteral("kalibrix_de"), QStringLiteral(KALIBRIX_TRANSLATIONS_DIR)))
            qFatal("no German translation in %s", KALIBRIX_TRANSLATIONS_DIR);
        QCoreApplication::installTranslator(&m_translator);
    }
    ~GermanTexts() {
        QCoreApplication::removeTranslator(&m_translator);
        QLocale::setDefault(m_locale);
    }

private:
    QLocale m_locale;
    QTranslator m_translator;
};

} // namespace kx::test
