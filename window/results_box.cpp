// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/results_box.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <string_view>

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
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!appending_)
            cache_.reset();
        if (!programWriting_)
            emit UserEdited();
    });
}

namespace {

// Whether every line break in `text` is a CR LF pair, so that the document gives
// back exactly these bytes.
bool OnlyCrLfBreaks(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

}  // namespace

std::string ResultsBox::GetText() const {
    if (!cache_) {
        cache_ = BuildText();
    }
    return *cache_;
}

std::string ResultsBox::BuildText() const {
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
    // Nothing to write: the user's undo history stays whole.
    if (text == GetText()) {
        return;
    }
    // What the program writes stays out of the box's own undo history, and so
    // does what was typed before it: Ctrl+Z in the box takes back the user's
    // edits since the program last wrote, and never a result line.
    document()->setUndoRedoEnabled(false);
    programWriting_ = true;
    Write(text);
    programWriting_ = false;
    document()->setUndoRedoEnabled(true);
}

void ResultsBox::Write(const std::string& text) {
    const std::string current = GetText();
    if (text.size() >= current.size() && text.compare(0, current.size(), current) == 0) {
        const QString rest = QString::fromStdString(text.substr(current.size()));
        if (rest.isEmpty()) {
            return;
        }
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        // CR LF, a lone CR and a lone LF each become one paragraph break.
        appending_ = true;
        end.insertText(rest);
        appending_ = false;
        if (OnlyCrLfBreaks(std::string_view(text).substr(current.size()))) {
            cache_ = text;
        } else {
            cache_.reset();
        }
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    // Undo takes the last line back: only the end goes, so ten thousand lines are
    // not laid out again. The cut must fall after a line break, where the
    // document's position is plain to count (each CR LF is one break).
    if (text.size() < current.size() && current.compare(0, text.size(), text) == 0 &&
        (text.empty() || text.ends_with("\r\n"))) {
        const QString kept = QString::fromStdString(text);
        QTextCursor cut(document());
        cut.setPosition(static_cast<int>(kept.size() - kept.count(QStringLiteral("\r\n"))));
        cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        appending_ = true;
        cut.removeSelectedText();
        appending_ = false;
        cache_ = text;
        return;
    }
    ReplaceBetween(current, text);
}

void ResultsBox::ReplaceBetween(const std::string& current, const std::string& text) {
    const std::size_t shorter = std::min(current.size(), text.size());
    std::size_t head = 0;
    while (head < shorter && current[head] == text[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < shorter - head &&
           current[current.size() - 1 - tail] == text[text.size() - 1 - tail]) {
        ++tail;
    }
    // Never within a character, nor between the CR and the LF of a line end.
    const auto within = [](const std::string& s, std::size_t at) {
        return at > 0 && at < s.size() &&
               ((static_cast<unsigned char>(s[at]) & 0xC0) == 0x80 ||
                (s[at - 1] == '\r' && s[at] == '\n'));
    };
    while (head > 0 && (within(current, head) || within(text, head))) {
        --head;
    }
    while (tail > 0 &&
           (within(current, current.size() - tail) || within(text, text.size() - tail))) {
        --tail;
    }
    // A position in the document: each CR LF is one break there.
    const auto position = [](const std::string& s, std::size_t bytes) {
        const QString before = QString::fromStdString(s.substr(0, bytes));
        return static_cast<int>(before.size() - before.count(QStringLiteral("\r\n")));
    };
    QTextCursor cut(document());
    cut.setPosition(position(current, head));
    cut.setPosition(position(current, current.size() - tail), QTextCursor::KeepAnchor);
    appending_ = true;
    cut.insertText(QString::fromStdString(text.substr(head, text.size() - tail - head)));
    appending_ = false;
    if (OnlyCrLfBreaks(text)) {
        cache_ = text;
    } else {
        cache_.reset();
    }
}

}  // namespace vardesca
