#include "window/results_box.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace vardesca {

ResultsBox::ResultsBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    // A narrow column: a short tab keeps "12<TAB>3,05" on one line.
    setTabStopDistance(24);
    // A box of numbers to paste into a spreadsheet: no rich text, no undo limit.
    setUndoRedoEnabled(true);
}

std::string ResultsBox::GetText() const {
    // The raw text keeps what toPlainText would change (non-breaking spaces);
    // paragraph and line separators become CR LF.
    const QString raw = document()->toRawText();
    QString text;
    text.reserve(raw.size() + raw.size() / 8);
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            text += QStringLiteral("\r\n");
        } else {
            text += c;
        }
    }
    return text.toStdString();
}

void ResultsBox::SetText(const std::string& text) {
    const std::string current = GetText();
    if (text.size() >= current.size() && text.compare(0, current.size(), current) == 0) {
        const QString rest = QString::fromStdString(text.substr(current.size()));
        if (rest.isEmpty()) {
            return;
        }
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        // CR LF, a lone CR and a lone LF each become one paragraph break.
        end.insertText(rest);
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    setPlainText(QString::fromStdString(text));
}

}  // namespace vardesca
