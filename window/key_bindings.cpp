// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/key_bindings.h"

#include <QApplication>
#include <QShortcut>
#include <QWidget>
#include <vector>

#include "text/ui_text.h"
#include "window/app_text.h"

namespace vardesca {

namespace {

QKeySequence Ctrl(int key) {
    return QKeySequence(Qt::CTRL | key);
}

// The view and the measuring, with Ctrl.
void ViewAndMeasuringKeys(std::vector<KeyBinding>& keys) {
    using A = KeyAction;
    const auto everywhere = KeyScope::Everywhere;
    const char* fit =
        QT_TRANSLATE_NOOP("Vardesca", "Ctrl+0: foto intera nella finestra; Ctrl+1: 100 %");
    const char* zoom = QT_TRANSLATE_NOOP("Vardesca", "Ctrl++ e Ctrl+-: ingrandisce e riduce");
    const char* undo =
        QT_TRANSLATE_NOOP("Vardesca", "Ctrl+Z: annulla l'ultimo clic; Ctrl+Maiusc+Z: lo ripete");
    keys.insert(
        keys.end(),
        {
            {{Ctrl(Qt::Key_0)}, everywhere, A::Fit, "Ctrl+0", fit},
            {{Ctrl(Qt::Key_1)}, everywhere, A::NaturalSize, "Ctrl+1", fit},
            // Ctrl and the plus key, wherever the layout puts plus (on "=" with
            // Shift on a US keyboard).
            {{Ctrl(Qt::Key_Plus), Ctrl(Qt::Key_Equal),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal)},
             everywhere,
             A::ZoomIn,
             "Ctrl++",
             zoom},
            {{Ctrl(Qt::Key_Minus)}, everywhere, A::ZoomOut, "Ctrl+-", zoom},
            {{Ctrl(Qt::Key_Z)}, everywhere, A::Undo, "Ctrl+Z", undo},
            {{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
             everywhere,
             A::Redo,
             "Ctrl+Maiusc+Z",
             undo},
            {{Ctrl(Qt::Key_I)},
             everywhere,
             A::StartMeasuring,
             "Ctrl+I",
             QT_TRANSLATE_NOOP("Vardesca", "Ctrl+I: inizia misurazioni (come il pulsante)")},
        });
}

// Files, photos and the program, with Ctrl (and F1, and Tab).
void FileKeys(std::vector<KeyBinding>& keys) {
    using A = KeyAction;
    const auto everywhere = KeyScope::Everywhere;
    const char* photos = QT_TRANSLATE_NOOP(
        "Vardesca", "Ctrl+PgGiù e Ctrl+PgSu: foto successiva e precedente della cartella");
    const char* results = QT_TRANSLATE_NOOP(
        "Vardesca", "Ctrl+S: salva i risultati in un file; Ctrl+Maiusc+C: li copia negli appunti");
    keys.insert(
        keys.end(),
        {
            {{Ctrl(Qt::Key_O)},
             everywhere,
             A::Open,
             "Ctrl+O",
             QT_TRANSLATE_NOOP("Vardesca", "Ctrl+O: carica un'immagine")},
            {{Ctrl(Qt::Key_S)}, everywhere, A::SaveResults, "Ctrl+S", results},
            {{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
             everywhere,
             A::CopyResults,
             "Ctrl+Maiusc+C",
             results},
            {{Ctrl(Qt::Key_T)},
             everywhere,
             A::SaveTable,
             "Ctrl+T",
             QT_TRANSLATE_NOOP(
                 "Vardesca",
                 "Ctrl+T: salva la tabella delle misure (foto, numero, lunghezza, punti, scala)")},
            {{Ctrl(Qt::Key_PageDown)}, everywhere, A::NextPhoto, "Ctrl+PgGiù", photos},
            {{Ctrl(Qt::Key_PageUp)}, everywhere, A::PreviousPhoto, "Ctrl+PgSu", photos},
            {{Ctrl(Qt::Key_E)},
             everywhere,
             A::SaveAnnotatedPhoto,
             "Ctrl+E",
             QT_TRANSLATE_NOOP("Vardesca", "Ctrl+E: salva la foto con i segni")},
            {{Ctrl(Qt::Key_Q)},
             everywhere,
             A::Quit,
             "Ctrl+Q",
             QT_TRANSLATE_NOOP("Vardesca", "Ctrl+Q: esce (dopo la domanda)")},
            {{QKeySequence(Qt::Key_F1)},
             everywhere,
             A::ShowKeys,
             "F1",
             QT_TRANSLATE_NOOP("Vardesca", "F1: questo elenco")},
            {{},
             everywhere,
             A::None,
             "Tab",
             QT_TRANSLATE_NOOP("Vardesca", "Tab e Maiusc+Tab: passano da un comando all'altro")},
        });
}

// Single keys: they type in the results box, so they act only outside it.
void SingleKeys(std::vector<KeyBinding>& keys) {
    using A = KeyAction;
    const auto outside = KeyScope::OutsideResultsBox;
    const char* arrows = QT_TRANSLATE_NOOP("Vardesca", "Frecce: scorrono la foto");
    const char* nudge = QT_TRANSLATE_NOOP(
        "Vardesca",
        "Maiusc+Frecce: spostano di un pixel dello schermo l'ultimo punto messo o spostato");
    keys.insert(
        keys.end(),
        {
            {{QKeySequence(Qt::Key_Left)}, outside, A::ScrollLeft, "Frecce", arrows},
            {{QKeySequence(Qt::Key_Right)}, outside, A::ScrollRight, "Frecce", arrows},
            {{QKeySequence(Qt::Key_Up)}, outside, A::ScrollUp, "Frecce", arrows},
            {{QKeySequence(Qt::Key_Down)}, outside, A::ScrollDown, "Frecce", arrows},
            {{QKeySequence(Qt::Key_Backspace)},
             outside,
             A::Undo,
             "Backspace",
             QT_TRANSLATE_NOOP("Vardesca", "Backspace: annulla l'ultimo clic")},
            {{QKeySequence(Qt::Key_Escape)},
             outside,
             A::GiveUpPendingPoint,
             "Esc",
             QT_TRANSLATE_NOOP("Vardesca", "Esc: rinuncia al primo punto di una coppia")},
            // Shift+arrows select text in the box; outside it they nudge.
            {{QKeySequence(Qt::SHIFT | Qt::Key_Left)},
             outside,
             A::NudgeLeft,
             "Maiusc+Frecce",
             nudge},
            {{QKeySequence(Qt::SHIFT | Qt::Key_Right)},
             outside,
             A::NudgeRight,
             "Maiusc+Frecce",
             nudge},
            {{QKeySequence(Qt::SHIFT | Qt::Key_Up)}, outside, A::NudgeUp, "Maiusc+Frecce", nudge},
            {{QKeySequence(Qt::SHIFT | Qt::Key_Down)},
             outside,
             A::NudgeDown,
             "Maiusc+Frecce",
             nudge},
            {{QKeySequence(Qt::Key_L)},
             outside,
             A::ToggleLoupe,
             "L",
             QT_TRANSLATE_NOOP("Vardesca", "L: mostra o nasconde la lente")},
            {{QKeySequence(Qt::Key_N)},
             outside,
             A::ToggleLabels,
             "N",
             QT_TRANSLATE_NOOP("Vardesca", "N: mostra o nasconde numeri e lunghezze sulla foto")},
        });
}

std::vector<KeyBinding> MakeBindings() {
    std::vector<KeyBinding> keys;
    ViewAndMeasuringKeys(keys);
    FileKeys(keys);
    SingleKeys(keys);
    return keys;
}

}  // namespace

std::span<const KeyBinding> KeyBindings() {
    static const std::vector<KeyBinding> bindings = MakeBindings();
    return bindings;
}

QString KeysHelpText() {
    QString text = UiText(app_text::kKeysMouse) + UiText(app_text::kKeysPoints);
    const auto section = [&text](const char* heading, KeyScope scope) {
        text += UiText(heading);
        const char* last = nullptr;
        for (const KeyBinding& binding : KeyBindings()) {
            if (binding.scope == scope && binding.help != last) {
                text += QStringLiteral("  ") + UiText(binding.help) + QLatin1Char('\n');
                last = binding.help;
            }
        }
        text += QLatin1Char('\n');
    };
    section(app_text::kKeysEverywhere, KeyScope::Everywhere);
    section(app_text::kKeysOutsideResults, KeyScope::OutsideResultsBox);
    return text + UiText(app_text::kKeysInResults) + UiText(app_text::kKeysRecord);
}

void MakeShortcuts(QWidget& window, const QWidget& resultsBox, UserActions& actions) {
    for (const KeyBinding& binding : KeyBindings()) {
        for (const QKeySequence& key : binding.keys) {
            auto* shortcut = new QShortcut(key, &window);
            shortcut->setContext(Qt::WindowShortcut);
            QObject::connect(
                shortcut, &QShortcut::activated, &window, [&resultsBox, &actions, &binding] {
                    // The text box claims its own editing keys (Ctrl+Z, Ctrl+A, Ctrl+C …)
                    // before any shortcut sees them; single keys type there.
                    const QWidget* focus = QApplication::focusWidget();
                    const bool inBox = focus != nullptr &&
                                       (focus == &resultsBox || resultsBox.isAncestorOf(focus));
                    if (binding.scope == KeyScope::OutsideResultsBox && inBox) {
                        return;
                    }
                    actions.Perform(binding.action);
                });
        }
    }
}

}  // namespace vardesca
