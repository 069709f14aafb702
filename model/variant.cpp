#include "model/variant.h"

#include <QLocale>
#include <cmath>
#include <optional>

namespace kx {

std::optional<double> parseNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    double v = QLocale::c().toDouble(t, &ok);
    if (!ok) v = QLocale().toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString Variant::text() const {
    if (const auto* s = std::get_if<QString>(&m_value)) return *s;
    return {};
}

double Variant::toDouble() const {
    switch (kind()) {
    case Kind::Empty: return 0.0;
    case Kind::Single: return static_cast<double>(std::get<float>(m_value));
    case Kind::Double: return std::get<double>(m_value);
    case Kind::Text:
        if (auto v = parseNumber(std::get<QString>(m_value))) return *v;
        throw VariantError("Type mismatch");
    }
    return 0.0;
}

bool Variant::isNumeric() const {
    return kind() != Kind::Text || parseNumber(std::get<QString>(m_value)).has_value();
}

namespace {

// Singles combine to a Single (Empty counts as 0); a text or a Double makes the result a Double.
bool staysSingle(const Variant& a, const Variant& b) {
    auto single = [](const Variant& v) { return v.kind() == Variant::Kind::Single || v.isEmpty(); };
    return single(a) && single(b) && !(a.isEmpty() && b.isEmpty());
}

} // namespace

Variant operator+(const Variant& a, const Variant& b) {
    if (a.kind() == Variant::Kind::Text && b.kind() == Variant::Kind::Text) return Variant(a.text() + b.text());
    if (staysSingle(a, b)) return Variant(static_cast<float>(a.toDouble() + b.toDouble()));
    return Variant(a.toDouble() + b.toDouble());
}

Variant operator-(const Variant& a, const Variant& b) {
    if (staysSingle(a, b)) return Variant(static_cast<float>(a.toDouble() - b.toDouble()));
    return Variant(a.toDouble() - b.toDouble());
}

Variant operator*(const Variant& a, const Variant& b) {
    if (staysSingle(a, b)) return Variant(static_cast<float>(a.toDouble() * b.toDouble()));
    return Variant(a.toDouble() * b.toDouble());
}

Variant operator/(const Variant& a, const Variant& b) {
    const double divisor = b.toDouble();
    if (divisor == 0.0) throw VariantError("Division by zero");
    return Variant(a.toDouble() / divisor);
}

} // namespace kx
