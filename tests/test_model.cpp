#include "model/module1.h"
#include "model/variant.h"
#include "support/variantprinter.h"

#include <QLocale>
#include <QTest>

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
        // Rows without a pixel size are at 96 dpi (15 twips per pixel).

        QTest::newRow("at the zero point") << text("-7200") << text("-7200") << int(Cm) << 1 << 15.0f << "0.00 cm";
        QTest::newRow("at the zero point, scale 1000") << text("-7200") << text("-7200") << int(Cm) << 1000 << 15.0f << "0.00 cm";
        QTest::newRow("centimetres") << dbl(-6000) << text("-7200") << int(Cm) << 1 << 15.0f << "2.12 cm";
        QTest::newRow("pixels") << dbl(-6000) << text("-7200") << int(Pic) << 1 << 15.0f << "80.00 pic";
        QTest::newRow("inches, scale 10") << dbl(-6000) << text("-7200") << int(Zoll) << 10 << 15.0f << "8.33 zoll";
        QTest::newRow("points") << dbl(-6000) << text("-7200") << int(Pkt) << 1 << 15.0f << "60.00 pkt";
        QTest::newRow("twips, no grouping") << dbl(-6000) << text("-7200") << int(Twi) << 1 << 15.0f << "1200.00 twi";
        QTest::newRow("left of the zero point") << dbl(-8334) << text("-7200") << int(Cm) << 1 << 15.0f << "-2.00 cm";
        QTest::newRow("scale not yet read") << dbl(-6000) << text("-7200") << int(Cm) << 0 << 15.0f << "0.00 cm";
        QTest::newRow("empty zero point") << dbl(-6000) << Variant() << int(Pic) << 1 << 15.0f << "-400.00 pic";
        // A nudge turns the text offset into a Double: one pixel right of the zero point.
        QTest::newRow("one nudge") << text("-7200") + sgl(15.0f) << text("-7200") << int(Pic) << 1 << 15.0f << "1.00 pic";
        QTest::newRow("vertical zero") << text("614") << text("414") << int(Pkt) << 3 << 15.0f << "30.00 pkt";
        // On finer screens Pixel counts the screen's own pixels; the lengths stay lengths.
        QTest::newRow("pixels at 200 %") << dbl(-6000) << text("-7200") << int(Pic) << 1 << 7.5f << "160.00 pic";
        QTest::newRow("pixels at 175 %") << dbl(-7200 + 3 * double(1440.0f / 168)) << text("-7200") << int(Pic) << 1
                                         << 1440.0f / 168 << "3.00 pic";
        QTest::newRow("centimetres at 200 %") << dbl(-6000) << text("-7200") << int(Cm) << 1 << 7.5f << "2.12 cm";
    }
    void readingText() {
        QFETCH(Variant, offset);
        QFETCH(Variant, zero);
        QFETCH(int, unit);
        QFETCH(int, scale);
        QFETCH(float, pixelTwips);
        QFETCH(QString, expected);
        const kx::Module1 m = model(unit, static_cast<std::int16_t>(scale));
        QCOMPARE(kx::readingText(offset, zero, m, sgl(pixelTwips), QLocale::c()), expected);
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

    void validZeroPoint_data() {
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
    void validZeroPoint() {
        QFETCH(QString, stored);
        QFETCH(bool, vertical);
        QFETCH(int, expected);
        QCOMPARE(kx::validZeroPoint(stored, vertical ? kx::kVerticalZero : kx::kHorizontalZero), expected);
    }
};

QTEST_MAIN(TestModel)
#include "test_model.moc"
