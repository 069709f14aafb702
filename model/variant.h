#pragma once

#include <QString>
#include <optional>
#include <stdexcept>
#include <variant>

namespace kx {

// Raised when a text that is not a number meets arithmetic, or a division by zero happens.
class VariantError : public std::domain_error {
public:
    using std::domain_error::domain_error;
};

// A tagged value that is Empty, a text, a Single or a Double. In arithmetic a text is read as a
// number, Empty counts as 0, and any operation with a text or a Double operand yields a Double;
// + between two texts joins them.
class Variant {
public:
    enum class Kind { Empty, Text, Single, Double };

    Variant() = default;
    static Variant fromText(const QString& text) { return Variant(text); }
    static Variant fromSingle(float value) { return Variant(value); }
    static Variant fromDouble(double value) { return Variant(value); }

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    // The text of a text value; empty otherwise.
    QString text() const;
    // The value as a number; throws VariantError for a text that is not a number.
    double toDouble() const;
    // Whether toDouble() succeeds.
    bool isNumeric() const;

    friend Variant operator+(const Variant& a, const Variant& b);
    friend Variant operator-(const Variant& a, const Variant& b);
    friend Variant operator*(const Variant& a, const Variant& b);
    friend Variant operator/(const Variant& a, const Variant& b);
    friend bool operator==(const Variant& a, const Variant& b) { return a.m_value == b.m_value; }

private:
    explicit Variant(const QString& text) : m_value(text) {}
    explicit Variant(float value) : m_value(value) {}
    explicit Variant(double value) : m_value(value) {}
    std::variant<std::monostate, QString, float, double> m_value;
};

// Reads a number from text: optional blanks, an optional sign, digits with an optional decimal part
// (full stop or the locale's separator) and an optional exponent. nullopt when it is not a number.
std::optional<double> parseNumber(const QString& text);

} // namespace kx
