// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/qt_locale_numbers.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace vardesca {

namespace {

// Digits with an optional "." fraction, or a fraction alone, and an optional
// exponent: the form NumberText writes.
bool IsPlainPointNumber(const QString& text) {
    static const QRegularExpression plain(
        QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    return plain.match(text).hasMatch();
}

}  // namespace

QtLocaleNumbers::QtLocaleNumbers(QLocale locale) : locale_(std::move(locale)) {
    locale_.setNumberOptions(QLocale::OmitGroupSeparator);
}

std::string QtLocaleNumbers::FormatDouble(double value) const {
    return locale_.toString(value, 'g', QLocale::FloatingPointShortest).toStdString();
}

std::optional<double> QtLocaleNumbers::Parse(const QString& text, bool allowGrouping) const {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    QLocale locale = locale_;
    locale.setNumberOptions(allowGrouping ? QLocale::DefaultNumberOptions
                                          : QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (ok) {
        return value;
    }
    if (IsPlainPointNumber(trimmed)) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        const double plain = c.toDouble(trimmed, &ok);
        if (ok) {
            return plain;
        }
    }
    return std::nullopt;
}

bool QtLocaleNumbers::IsNumeric(const std::string& text) const {
    return Parse(QString::fromStdString(text), true).has_value();
}

std::optional<float> QtLocaleNumbers::ParseSingle(const std::string& text) const {
    const auto value = Parse(QString::fromStdString(text), false);
    if (!value) {
        return std::nullopt;
    }
    // A number beyond the float range is not a float: refuse it rather than
    // turn it into infinity.
    if (std::isfinite(*value) && std::fabs(*value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

QChar DecimalSeparatorOf(const LocaleNumbers& locale) {
    const std::string one = locale.FormatDouble(1.1);
    return one.find(',') != std::string::npos ? QLatin1Char(',') : QLatin1Char('.');
}

}  // namespace vardesca
