// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>

#include "engine/result_line.h"

namespace vardesca {

// The user's number conventions from the regional settings (LC_ALL, LC_NUMERIC,
// LANG), as Qt reads them.
//
// Besides the locale's own forms, two texts are taken on purpose: the plain "."
// form the result lines are built from ("12.35", ".44", "-.01"), so that under
// Italian settings every line gets its decimal comma; and, for a typed length in
// a locale with a decimal comma, "2.5" as 2.5 — a reference length is never
// typed with thousands separators, and reading it as 25 would silently spoil
// every measurement. Leading and trailing blanks are ignored.
class QtLocaleNumbers : public LocaleNumbers {
  public:
    explicit QtLocaleNumbers(QLocale locale = QLocale::system());

    [[nodiscard]] std::string FormatDouble(double value) const override;
    [[nodiscard]] bool IsNumeric(const std::string& text) const override;
    [[nodiscard]] std::optional<float> ParseSingle(const std::string& text) const override;

  private:
    [[nodiscard]] std::optional<double> Parse(const QString& text, bool allowGrouping) const;

    QLocale locale_;
};

// The decimal separator `locale`'s lines have: "," or ".", which decides the
// CSV files' conventions too.
[[nodiscard]] QChar DecimalSeparatorOf(const LocaleNumbers& locale);

}  // namespace vardesca
