// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>
#include <optional>
#include <string>

#include "engine/measure_engine.h"

namespace vardesca {

// The results box. Qt's editor keeps paragraphs, not line-break characters, so
// the text is given out with every break as CR LF, whether it came from a result
// line or from Enter, and the engine, the start-up test and the export all see
// the same bytes.
class ResultsBox : public QPlainTextEdit, public ResultsText {
    Q_OBJECT

  public:
    explicit ResultsBox(QWidget* parent);

    [[nodiscard]] std::string GetText() const override;
    // Replaces the whole text; when the new text only adds to the end of the old
    // one, just the addition is inserted, so ten thousand lines do not have to be
    // laid out again for each new one and the user's cursor stays put. A text
    // that is the old one cut after a line break (an undone measurement) only
    // loses the end, the same way. The box's own undo (Ctrl+Z in it) never takes
    // back what this wrote: it covers the user's edits since.
    void SetText(const std::string& text) override;

  signals:
    // The user changed the text (typing, pasting, the box's own undo); never
    // for what SetText writes.
    void UserEdited();

  private:
    void Write(const std::string& text);
    // `current` made `text` by replacing only what lies between their common
    // beginning and end, so that the user's cursor, the view and the rest of
    // the box stay (a moved point's line rewritten).
    void ReplaceBetween(const std::string& current, const std::string& text);
    [[nodiscard]] std::string BuildText() const;

    // The text as GetText gives it, kept between measurements so that the
    // engine's read-append-write costs a copy and not a rebuild of ten thousand
    // lines; dropped whenever the document changes in any other way.
    mutable std::optional<std::string> cache_;
    bool appending_ = false;
    bool programWriting_ = false;
};

}  // namespace vardesca
