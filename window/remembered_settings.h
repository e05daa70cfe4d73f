// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <optional>

namespace vardesca {

// What the program remembers from one session to the next: where the photos
// were, the results file, the window and the two view switches. An INI file in
// the user's configuration folder (~/.config/vardesca/vardesca.conf). A file
// that is damaged, unreadable or holds nonsense reads as nothing remembered:
// it must never stop the program from starting.
class RememberedSettings {
  public:
    explicit RememberedSettings(const QString& file);

    // $XDG_CONFIG_HOME/vardesca/vardesca.conf, as QSettings places the
    // organisation "vardesca" and the application "vardesca".
    [[nodiscard]] static QString DefaultFile();
    // Qt's own dialogs keep their state under the organisation "QtProject";
    // sent to `folder`, which the caller removes at the end, it leaves no
    // QtProject.conf in the user's configuration folder.
    static void KeepQtStateIn(const QString& folder);

    // An existing folder, or nothing.
    [[nodiscard]] QString PhotoFolder() const;
    void SetPhotoFolder(const QString& folder);

    [[nodiscard]] QString ResultsFile() const;
    void SetResultsFile(const QString& path);

    // As QWidget::saveGeometry gives it (size, place, maximised).
    [[nodiscard]] QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

    // Nothing when never written or not a plain true or false.
    [[nodiscard]] std::optional<bool> LoupeOn() const;
    void SetLoupeOn(bool on);
    [[nodiscard]] std::optional<bool> LabelsOn() const;
    void SetLabelsOn(bool on);
    // Whether the last photo was looked at fitted (Ctrl+0) rather than at 100 %.
    [[nodiscard]] std::optional<bool> FittedView() const;
    void SetFittedView(bool fitted);
    // The share of the width beyond the window's first one that the results
    // box takes: a number from 0 to 1, or nothing.
    [[nodiscard]] std::optional<double> BoxShare() const;
    void SetBoxShare(double share);

  private:
    [[nodiscard]] QString Text(const char* key) const;
    [[nodiscard]] std::optional<bool> Switch(const char* key) const;
    // A path, written as text or, when it is not UTF-8, as its bytes.
    [[nodiscard]] QString Path(const char* key) const;
    void WritePath(const char* key, const QString& path);
    void Write(const char* key, const QVariant& value);

    mutable QSettings settings_;
};

}  // namespace vardesca
