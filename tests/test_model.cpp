#include "model/module1.h"
#include "model/settingstable.h"
#include "model/truesize.h"
#include "model/variant.h"
#include "support/variantprinter.h"

#include <QLocale>
#include <QTest>

#include <clocale>
#include <optional>
#include <string>

using kx::Variant;
using kx::VariantError;

Q_DECLARE_METATYPE(kx::Variant)

namespace {

Variant text(const char* t) { return Variant::fromText(QString::fromUtf8(t)); }
Variant dbl(double v) { return Variant::fromDouble(v); }
Variant sgl(float v) { return Variant::fromSingle(v); }

// A model with one row of the unit table chosen and the given scale.
kx::Module1 model(int unit, std::int16_t scale) {
    kx::Module1 m;
    m.TwipsPerUnit = kx::kUnits[unit].twipsPerUnit;
    m.UnitIsScreenPixel = kx::kUnits[unit].screenPixel;
    m.UnitSuffix = Variant::fromText(QString::fromLatin1(kx::kUnits[unit].suffix));
    m.ScaleFactor = scale;
    return m;
}

enum { Cm, Pic, Zoll, Twi, Pkt };

// The C library's locale German while it lives, as Qt sets it from LANG=de_DE.UTF-8 on a German
// desktop: printf then writes numbers with a decimal comma.
class GermanCLocale {
public:
    GermanCLocale() : m_saved(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"})
            if (std::setlocale(LC_ALL, name)) break;
    }
    ~GermanCLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }
    bool inForce() const { return *std::localeconv()->decimal_point == ','; }

private:
    std::string m_saved;
};

} // namespace

class TestModel : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void readingText_data() {
        QTest::addColumn<Variant>("offset");
        QTest::addColumn<Variant>("zero");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("scale");
        QTest::addColumn<float>("pixelTwips");
        QTest::addColumn<QString>("expected");
        // German readings with the C library's number locale German as well (as LANG=de_DE.UTF-8 sets
        // it on a German desktop), where printf writes "0,0265".
        QTest::addColumn<bool>("german");
        // Rows without a pixel size are at 96 dpi (15 twips per pixel).

        QTest::newRow("at the zero point") << text("-7200") << text("-7200") << int(Cm) << 1 << 15.0f << "0.00 cm" << false;
        QTest::newRow("at the zero point, scale 1000") << text("-7200") << text("-7200") << int(Cm) << 1000 << 15.0f << "0.00 cm" << false;
        QTest::newRow("centimetres") << dbl(-6000) << text("-7200") << int(Cm) << 1 << 15.0f << "2.12 cm" << false;
        QTest::newRow("pixels") << dbl(-6000) << text("-7200") << int(Pic) << 1 << 15.0f << "80.00 pic" << false;
        QTest::newRow("inches, scale 10") << dbl(-6000) << text("-7200") << int(Zoll) << 10 << 15.0f << "8.33 zoll" << false;
        QTest::newRow("points") << dbl(-6000) << text("-7200") << int(Pkt) << 1 << 15.0f << "60.00 pkt" << false;
        QTest::newRow("twips, no grouping") << dbl(-6000) << text("-7200") << int(Twi) << 1 << 15.0f << "1200.00 twi" << false;
        QTest::newRow("left of the zero point") << dbl(-8334) << text("-7200") << int(Cm) << 1 << 15.0f << "-2.00 cm" << false;
        QTest::newRow("scale not yet read") << dbl(-6000) << text("-7200") << int(Cm) << 0 << 15.0f << "0.00 cm" << false;
        QTest::newRow("empty zero point") << dbl(-6000) << Variant() << int(Pic) << 1 << 15.0f << "-400.00 pic" << false;
        // A nudge turns the text offset into a Double: one pixel right of the zero point.
        QTest::newRow("one nudge") << text("-7200") + sgl(15.0f) << text("-7200") << int(Pic) << 1 << 15.0f << "1.00 pic" << false;
        QTest::newRow("vertical zero") << text("614") << text("414") << int(Pkt) << 3 << 15.0f << "30.00 pkt" << false;
        // On finer screens Pixel counts the screen's own pixels; the lengths stay lengths.
        QTest::newRow("pixels at 200 %") << dbl(-6000) << text("-7200") << int(Pic) << 1 << 7.5f << "160.00 pic" << false;
        QTest::newRow("pixels at 175 %") << dbl(-7200 + 3 * double(1440.0f / 168)) << text("-7200") << int(Pic) << 1
                                         << 1440.0f / 168 << "3.00 pic" << false;
        QTest::newRow("centimetres at 200 %") << dbl(-6000) << text("-7200") << int(Cm) << 1 << 7.5f << "2.12 cm" << false;
        // One pixel (15 twips) and a few in every unit, German through and through.
        QTest::newRow("German cm, one pixel") << text("-7185") << text("-7200") << int(Cm) << 1 << 15.0f << "0,03 cm" << true;
        QTest::newRow("German cm, four pixels") << dbl(-7140) << text("-7200") << int(Cm) << 1 << 15.0f << "0,11 cm" << true;
        QTest::newRow("German cm, zero") << text("-7200") << text("-7200") << int(Cm) << 1 << 15.0f << "0,00 cm" << true;
        QTest::newRow("German pic") << dbl(-7185) << text("-7200") << int(Pic) << 1 << 15.0f << "1,00 pic" << true;
        QTest::newRow("German zoll, scale 10") << dbl(-7050) << text("-7200") << int(Zoll) << 10 << 15.0f << "1,04 zoll" << true;
        QTest::newRow("German twi, scale 7") << dbl(-7185) << text("-7200") << int(Twi) << 7 << 15.0f << "105,00 twi" << true;
        QTest::newRow("German pkt") << dbl(-7185) << text("-7200") << int(Pkt) << 1 << 15.0f << "0,75 pkt" << true;
        QTest::newRow("German pkt, left") << text("600") << text("614") << int(Pkt) << 1 << 15.0f << "-0,70 pkt" << true;
    }

    void readingText() {
        QFETCH(Variant, offset);
        QFETCH(Variant, zero);
        QFETCH(int, unit);
        QFETCH(int, scale);
        QFETCH(float, pixelTwips);
        QFETCH(QString, expected);
        QFETCH(bool, german);
        std::optional<GermanCLocale> cLocale;
        if (german) {
            cLocale.emplace();
#ifdef Q_OS_WIN
            if (!cLocale->inForce()) QSKIP("No German C locale here (Qt leaves the C locale alone on Windows).");
#endif
            QVERIFY2(cLocale->inForce(), "the German locale de_DE.UTF-8 is not installed (scripts/deps installs it)");
        }
        const kx::Module1 m = model(unit, static_cast<std::int16_t>(scale));
        const QLocale shown = german ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
        QCOMPARE(kx::readingText(offset, zero, m, sgl(pixelTwips), shown), expected);
    }

    void readingFollowsTheRegionalDecimalSeparator() {
        const kx::Module1 m = model(Cm, 1);
        const QLocale german(QLocale::German);
        QCOMPARE(kx::readingText(dbl(-6000), text("-7200"), m, sgl(15.0f), german), QStringLiteral("2,12 cm"));
        QCOMPARE(kx::readingText(dbl(-6000), text("-7200"), model(Twi, 1000), sgl(15.0f), german),
                 QStringLiteral("1200000,00 twi")); // no grouping there either
        // Without an explicit locale the default one decides.
        const QLocale saved;
        QLocale::setDefault(german);
        const QString shown = kx::readingText(dbl(-6000), text("-7200"), m, sgl(15.0f));
        QLocale::setDefault(saved);
        QCOMPARE(shown, QStringLiteral("2,12 cm"));
    }

    void formatRoundsHalvesAwayFromZero_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        // Values whose nearest double lies just below the half.
        QTest::newRow("1.005") << 1.005 << "1.01";
        QTest::newRow("2.675") << 2.675 << "2.68";
        QTest::newRow("-0.125") << -0.125 << "-0.13";
        QTest::newRow("0.005") << 0.005 << "0.01";
        QTest::newRow("just below a half") << 1.00499999 << "1.00";
        QTest::newRow("carry into a new digit") << 9.995 << "10.00";
        QTest::newRow("negative zero") << -0.0 << "0.00";
        // A negative value that rounds to zero shows no minus sign.
        QTest::newRow("-0.004") << -0.004 << "0.00";
        QTest::newRow("-0.005") << -0.005 << "-0.01";
        QTest::newRow("very large") << 1e20 << "100000000000000000000.00";
    }
    void formatRoundsHalvesAwayFromZero() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(kx::formatReading(value, QLocale::c()), expected);
    }

    void variantArithmetic() {
        // Text plus Single (a nudge) is a Double.
        const Variant nudged = text("-7200") + sgl(15.0f);
        QCOMPARE(nudged.kind(), Variant::Kind::Double);
        QCOMPARE(nudged.toDouble(), -7185.0);
        QCOMPARE((text("-7200") - sgl(15.0f)).toDouble(), -7215.0);
        // Two texts join under +, but subtract as numbers.
        QCOMPARE(text("-7200") + text("15"), text("-720015"));
        const Variant difference = text("-6000") - text("-7200");
        QCOMPARE(difference.kind(), Variant::Kind::Double);
        QCOMPARE(difference.toDouble(), 1200.0);
        // Empty counts as 0.
        QCOMPARE((Variant() - text("414")).toDouble(), -414.0);
        QCOMPARE((dbl(5) + Variant()).toDouble(), 5.0);
        QCOMPARE(Variant().toDouble(), 0.0);
        // Texts with blanks around still read as numbers.
        QCOMPARE((text(" 414 ") - dbl(14)).toDouble(), 400.0);
    }

    void variantErrors_data() {
        QTest::addColumn<Variant>("value");
        QTest::newRow("letters") << text("abc");
        QTest::newRow("empty text") << text("");
        QTest::newRow("trailing garbage") << text("12x");
        QTest::newRow("infinity") << text("inf");
        QTest::newRow("overflow") << text("1e999");
    }
    void variantErrors() {
        QFETCH(Variant, value);
        QVERIFY(!value.isNumeric());
        QVERIFY_THROWS_EXCEPTION(VariantError, value.toDouble());
        QVERIFY_THROWS_EXCEPTION(VariantError, value - dbl(1));
        QVERIFY_THROWS_EXCEPTION(VariantError, dbl(1) - value);
        QVERIFY_THROWS_EXCEPTION(VariantError, value + sgl(15.0f));
        QVERIFY_THROWS_EXCEPTION(VariantError, kx::reading(dbl(-6000), value, 567, 1));
        // Joining two texts needs no number.
        QCOMPARE((value + text("1")).kind(), Variant::Kind::Text);
    }

    void divisionByZeroRaises() {
        QVERIFY_THROWS_EXCEPTION(VariantError, dbl(1) / dbl(0));
        QVERIFY_THROWS_EXCEPTION(VariantError, dbl(0) / Variant());
        QVERIFY_THROWS_EXCEPTION(VariantError, text("5") / text("0"));
        // A unit of 0 twips (the model before startup) cannot produce a reading.
        QVERIFY_THROWS_EXCEPTION(VariantError, kx::reading(dbl(-6000), text("-7200"), 0, 1));
        QVERIFY_THROWS_EXCEPTION(VariantError, kx::readingText(dbl(-6000), text("-7200"), kx::Module1(), sgl(15.0f), QLocale::c()));
    }

    // 120 device pixels between the jaws on monitors of 92, 109 and 157 pixels per inch (24-inch
    // 1080p, 27-inch 1440p, 14-inch 1080p), worked out by hand: 120 / dpi inches.
    void trueLengthReading_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("pixelTwips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("knownScale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cm at 92") << int(Cm) << 15.0f << 92.0 << 0.0 << "3.31 cm";
        QTest::newRow("in at 92") << int(Zoll) << 15.0f << 92.0 << 0.0 << "1.30 zoll";
        QTest::newRow("pt at 92") << int(Pkt) << 15.0f << 92.0 << 0.0 << "93.91 pkt";
        QTest::newRow("cm at 109") << int(Cm) << 15.0f << 109.0 << 0.0 << "2.80 cm";
        QTest::newRow("in at 109") << int(Zoll) << 15.0f << 109.0 << 0.0 << "1.10 zoll";
        QTest::newRow("pt at 109") << int(Pkt) << 15.0f << 109.0 << 0.0 << "79.27 pkt";
        QTest::newRow("cm at 157") << int(Cm) << 15.0f << 157.0 << 0.0 << "1.94 cm";
        QTest::newRow("in at 157") << int(Zoll) << 15.0f << 157.0 << 0.0 << "0.76 zoll";
        QTest::newRow("pt at 157") << int(Pkt) << 15.0f << 157.0 << 0.0 << "55.03 pkt";
        // The device pixels count, whatever the desktop's scale.
        QTest::newRow("cm at 157, 200 %") << int(Cm) << 7.5f << 157.0 << 0.0 << "1.94 cm";
        QTest::newRow("pixels stay pixels") << int(Pic) << 15.0f << 157.0 << 0.0 << "120.00 pic";
        QTest::newRow("an inch at 120") << int(Cm) << 15.0f << 120.0 << 0.0 << "2.54 cm";
        QTest::newRow("known-length scale") << int(Cm) << 15.0f << 109.0 << 100.0 << "279.60 cm";
    }
    void trueLengthReading() {
        QFETCH(int, unit);
        QFETCH(float, pixelTwips);
        QFETCH(double, dpi);
        QFETCH(double, knownScale);
        QFETCH(QString, expected);
        kx::Module1 m = model(unit, 1);
        m.KnownLengthScale = knownScale;
        const Variant offset = dbl(-7200 + 120 * double(pixelTwips));
        QCOMPARE(kx::readingText(offset, text("-7200"), m, sgl(pixelTwips), dpi, QLocale::c()), expected);
    }

    void reportedDensity_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("mm");
        QTest::addColumn<double>("expectedX"); // 0: ignored as not reported
        QTest::newRow("24-inch 1080p") << QSize(1920, 1080) << QSizeF(531.4, 298.9) << 91.77;
        QTest::newRow("27-inch 1440p") << QSize(2560, 1440) << QSizeF(596.7, 335.6) << 108.97;
        QTest::newRow("14-inch 1080p") << QSize(1920, 1080) << QSizeF(310, 174) << 157.32;
        QTest::newRow("not reported") << QSize(1920, 1080) << QSizeF() << 0.0;
        QTest::newRow("a projector's 1.6 m") << QSize(1920, 1080) << QSizeF(1600, 900) << 0.0; // 30 ppi
        QTest::newRow("aspect of another mode") << QSize(1920, 1080) << QSizeF(480, 360) << 0.0;
        QTest::newRow("width and height swapped") << QSize(1920, 1080) << QSizeF(298.9, 531.4) << 0.0;
        QTest::newRow("4 cm wide") << QSize(320, 240) << QSizeF(40, 30) << 0.0;
        QTest::newRow("6 m wide") << QSize(7680, 4320) << QSizeF(6000, 3375) << 0.0;
        QTest::newRow("1200 ppi") << QSize(7680, 4320) << QSizeF(162.6, 91.4) << 0.0;
        QTest::newRow("aspect 3 % off") << QSize(1000, 1000) << QSizeF(254, 261.6) << 100.0;
    }
    void reportedDensity() {
        QFETCH(QSize, pixels);
        QFETCH(QSizeF, mm);
        QFETCH(double, expectedX);
        const kx::PixelDensity d = kx::reportedDensity(pixels, mm);
        QCOMPARE(d.known(), expectedX > 0);
        if (expectedX > 0) QVERIFY2(std::abs(d.x - expectedX) < 0.01, qPrintable(QString::number(d.x)));
    }

    void densityFallsBack() {
        const kx::PixelDensity reported{92, 93};
        QCOMPARE(kx::trueDensity({110, 0}, reported, 1).x, 110.0); // the calibration first
        QCOMPARE(kx::trueDensity({110, 0}, reported, 1).y, 93.0);
        QCOMPARE(kx::trueDensity({110, 0}, {}, 1).y, 110.0);       // pixels are square
        QCOMPARE(kx::trueDensity({}, {}, 1.5).x, 144.0);            // the desktop's own dpi
        QCOMPARE(kx::calibratedDensity(324, 85.6), 324 / (85.6 / 25.4));
        QCOMPARE(kx::calibratedDensity(0, 85.6), 0.0);
        QCOMPARE(kx::calibratedDensity(5000, 85.6), 0.0); // 1484 ppi: the jaws were not on the card
    }

    // A typed length in each unit, and the lengths refused (millimetres 0).
    void typedLength_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("mm");
        QTest::addColumn<int>("problem");
        using P = kx::TypedLength::Problem;
        QTest::newRow("mm") << "36 mm" << 36.0 << int(P::None);
        QTest::newRow("cm") << "7.2 cm" << 72.0 << int(P::None);
        QTest::newRow("m") << "3.60 m" << 3600.0 << int(P::None);
        QTest::newRow("km") << "0.036 km" << 36000.0 << int(P::None);
        QTest::newRow("in") << "3 in" << 76.2 << int(P::None);
        QTest::newRow("ft") << "1.5 ft" << 457.2 << int(P::None);
        QTest::newRow("yd") << "1.5 yd" << 1371.6 << int(P::None);
        QTest::newRow("mi") << "1.5 mi" << 2414016.0 << int(P::None);
        QTest::newRow("zero") << "0 mm" << 0.0 << int(P::NotPositive);
        QTest::newRow("negative") << "-3 m" << 0.0 << int(P::NotPositive);
        QTest::newRow("letters") << "abc" << 0.0 << int(P::NotANumber);
        QTest::newRow("overflowing") << QString(400, QLatin1Char('9')) + " m" << 0.0 << int(P::NotANumber);
        QTest::newRow("no unit") << "85.6" << 0.0 << int(P::NoUnit);
        QTest::newRow("unknown unit") << "3 furlong" << 0.0 << int(P::UnknownUnit);
        QTest::newRow("a decimal comma here") << "85,60 mm" << 0.0 << int(P::OtherSeparator);
        QTest::newRow("a group separator") << "1,000 m" << 0.0 << int(P::OtherSeparator);
    }
    void typedLength() {
        QFETCH(QString, typed);
        QFETCH(double, mm);
        QFETCH(int, problem);
        const kx::TypedLength length = kx::parseLength(typed, QLocale::c());
        QCOMPARE(int(length.problem), problem);
        QCOMPARE(length.millimetres, mm);
    }

    // The scale that makes a reading at scale 1 (in the unit of the row) the known length, within what
    // the readings can show.
    void knownLengthScale_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("reading");
        QTest::addColumn<double>("mm");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("problem");
        using P = kx::KnownLengthScale::Problem;
        QTest::newRow("cm") << int(Cm) << 3.6 << 3600.0 << 100.0 << int(P::None);
        QTest::newRow("in") << int(Zoll) << 1.5 << 457.2 << 12.0 << int(P::None);
        QTest::newRow("pt") << int(Pkt) << 36.0 << 25.4 << 2.0 << int(P::None);
        QTest::newRow("twips") << int(Twi) << 720.0 << 25.4 << 2.0 << int(P::None);
        QTest::newRow("a jaw left of zero") << int(Cm) << -3.6 << 3600.0 << 100.0 << int(P::None);
        QTest::newRow("jaws closed") << int(Cm) << 0.0 << 3600.0 << 0.0 << int(P::JawsClosed);
        QTest::newRow("pixels are no length") << int(Pic) << 3.6 << 3600.0 << 0.0 << int(P::JawsClosed);
        QTest::newRow("the largest scale") << int(Cm) << 1.0 << 1e10 << 1e9 << int(P::None);
        QTest::newRow("40000 km on 100 px") << int(Cm) << 100 * 15 / 567.0 << 4e10 << 0.0 << int(P::TooLarge);
        QTest::newRow("reads 0.01 cm") << int(Cm) << 1.0 << 0.05 << 0.005 << int(P::None);
        QTest::newRow("reads under 0.01 cm") << int(Cm) << 1.0 << 0.049 << 0.0 << int(P::TooShort);
        QTest::newRow("1e-21 mm") << int(Cm) << 2.65 << 1e-21 << 0.0 << int(P::TooShort);
        QTest::newRow("scale under 1e-6") << int(Twi) << 6000.0 << 0.0001 << 0.0 << int(P::TooSmall);
    }
    void knownLengthScale() {
        QFETCH(int, unit);
        QFETCH(double, reading);
        QFETCH(double, mm);
        QFETCH(double, scale);
        QFETCH(int, problem);
        const kx::KnownLengthScale known = kx::knownLengthScale(reading, mm, kx::kUnits[unit].twipsPerUnit);
        QCOMPARE(int(known.problem), problem);
        QCOMPARE(known.scale, scale);
    }

    void lengthsTakeTheLocalesSeparator() {
        QCOMPARE(kx::parseLength(QStringLiteral("85,60 mm"), QLocale(QLocale::German)).millimetres, 85.6);
        QCOMPARE(kx::parseLength(QStringLiteral(" 85.60MM "), QLocale(QLocale::German)).millimetres, 85.6);
        QCOMPARE(kx::scaleText(100, QLocale::c()), QStringLiteral("100"));
        QCOMPARE(kx::scaleText(1.0 / 3, QLocale(QLocale::German)), QStringLiteral("0,33"));
        QCOMPARE(kx::scaleText(0.002, QLocale::c()), QStringLiteral("0.002"));
        QCOMPARE(kx::scaleText(63360, QLocale(QLocale::German)), QStringLiteral("63360"));
        QCOMPARE(kx::scaleText(125 / 3.0, QLocale::c()), QStringLiteral("41.7"));
        // Never more than the box's six characters.
        QCOMPARE(kx::scaleText(99999.4, QLocale::c()), QStringLiteral("99999"));
        QCOMPARE(kx::scaleText(37800000, QLocale::c()), QStringLiteral("3.78e7"));
        QCOMPARE(kx::scaleText(756000000, QLocale(QLocale::German)), QStringLiteral("7,56e8"));
        QCOMPARE(kx::scaleText(99960000, QLocale::c()), QStringLiteral("1e8"));
        QCOMPARE(kx::scaleText(1e9, QLocale::c()), QStringLiteral("1e9"));
        QCOMPARE(kx::scaleText(0.00012345, QLocale::c()), QStringLiteral("1.2e-4"));
        QCOMPARE(kx::scaleText(1e-6, QLocale::c()), QStringLiteral("1e-6"));
    }

    // The names and defaults that settings files and registry keys already hold: none may change.
    void storedSettingsKeepTheirNames() {
        QStringList table;
        for (const kx::StoredSetting* s : kx::setting::kAll)
            table << QString(s->section) + QLatin1Char('/') + s->key + QLatin1Char('=') + s->defaultText;
        QCOMPARE(QString(kx::setting::kApp), QStringLiteral("Kalibrix"));
        QCOMPARE(table, (QStringList{"Settings/Label1=-7200", "Settings/Label2=414", "Display/TrueSize=false",
                                     "Display/KnownLengthScale=", "Display/Density=", "ScreenCast/RestoreToken=",
                                     "Edges/Tolerance=10", "Edges/Snap=false"}));
    }

    void storedZeroPoint_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("expected");
        QTest::newRow("horizontal low end") << "-7400" << false << -7400;
        QTest::newRow("horizontal high end") << "-7000" << false << -7000;
        QTest::newRow("below horizontal") << "-7401" << false << -7200;
        QTest::newRow("above horizontal") << "-6999" << false << -7200;
        QTest::newRow("vertical low end") << "214" << true << 214;
        QTest::newRow("vertical high end") << "614" << true << 614;
        QTest::newRow("below vertical") << "213" << true << 414;
        QTest::newRow("above vertical") << "615" << true << 414;
        QTest::newRow("other caliper's value") << "-7200" << true << 414;
        QTest::newRow("blanks around") << "  300\t" << true << 300;
        QTest::newRow("many leading zeros") << "-0000000000000007100" << false << -7100;
        QTest::newRow("garbage") << "abc" << true << 414;
        QTest::newRow("empty") << "" << true << 414;
        QTest::newRow("minus only") << "-" << false << -7200;
        QTest::newRow("blank after minus") << "- 7100" << false << -7200;
        QTest::newRow("exponent") << "1e9" << true << 414;
        QTest::newRow("plus sign in range") << "+300" << true << 414;
        QTest::newRow("decimal in range") << "300.0" << true << 414;
        QTest::newRow("trailing letters") << "300abc" << true << 414;
        QTest::newRow("overflowing") << "99999999999999999999999" << true << 414;
        QTest::newRow("2^32 + 300") << "4294967596" << true << 414;
        QTest::newRow("very long") << QString(100000, QLatin1Char('3')) << true << 414;
        QTest::newRow("arabic-indic digits") << QStringLiteral("\u0663\u0660\u0660") << true << 414;
        QTest::newRow("full-width, negative") << QStringLiteral("-\uFF17\uFF11\uFF10\uFF10") << false << -7200;
    }
    void storedZeroPoint() {
        QFETCH(QString, stored);
        QFETCH(bool, vertical);
        QFETCH(int, expected);
        QCOMPARE(kx::storedInteger(vertical ? kx::setting::VerticalZero : kx::setting::HorizontalZero, stored), expected);
    }
};

QTEST_MAIN(TestModel)
#include "test_model.moc"
