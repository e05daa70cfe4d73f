// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/remembered_settings.h"

#include <QStandardPaths>

#include "picture/system_name.h"

namespace vardesca {

namespace {
constexpr const char* kPhotoFolder = "cartella_foto";
constexpr const char* kResultsFile = "file_risultati";
constexpr const char* kGeometry = "finestra";
constexpr const char* kLoupe = "lente";
constexpr const char* kLabels = "etichette";
constexpr const char* kFitted = "foto_intera";
constexpr const char* kBoxShare = "larghezza_risultati";
}  // namespace

RememberedSettings::RememberedSettings(const QString& file)
    : settings_(file, QSettings::IniFormat) {}

QString RememberedSettings::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vardesca/vardesca.conf");
}

void RememberedSettings::KeepQtStateIn(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

QString RememberedSettings::Text(const char* key) const {
    const QVariant value = settings_.value(QLatin1String(key));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

std::optional<bool> RememberedSettings::Switch(const char* key) const {
    const QString text = Text(key);
    if (text == QLatin1String("true")) {
        return true;
    }
    if (text == QLatin1String("false")) {
        return false;
    }
    return std::nullopt;
}

void RememberedSettings::Write(const char* key, const QVariant& value) {
    settings_.setValue(QLatin1String(key), value);
    // Written at once: a program ended by a logout still remembers.
    settings_.sync();
}

QString RememberedSettings::Path(const char* key) const {
    const QVariant value = settings_.value(QLatin1String(key));
    if (value.typeId() == QMetaType::QByteArray) {
        return FromSystemName(value.toByteArray());
    }
    return Text(key);
}

void RememberedSettings::WritePath(const char* key, const QString& path) {
    if (path == Path(key)) {
        return;
    }
    // A name that is not UTF-8 is kept as the system's bytes; any other as
    // text, as it always was.
    if (QtCanReach(path)) {
        Write(key, path);
    } else {
        Write(key, ToSystemName(path));
    }
}

QString RememberedSettings::PhotoFolder() const {
    const QString folder = Path(kPhotoFolder);
    return !folder.isEmpty() && FactsOf(folder).isDir ? folder : QString();
}

void RememberedSettings::SetPhotoFolder(const QString& folder) {
    WritePath(kPhotoFolder, folder);
}

QString RememberedSettings::ResultsFile() const {
    return Path(kResultsFile);
}

void RememberedSettings::SetResultsFile(const QString& path) {
    WritePath(kResultsFile, path);
}

QByteArray RememberedSettings::WindowGeometry() const {
    const QVariant value = settings_.value(QLatin1String(kGeometry));
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

void RememberedSettings::SetWindowGeometry(const QByteArray& geometry) {
    Write(kGeometry, geometry);
}

std::optional<bool> RememberedSettings::LoupeOn() const {
    return Switch(kLoupe);
}

void RememberedSettings::SetLoupeOn(bool on) {
    Write(kLoupe, on ? QStringLiteral("true") : QStringLiteral("false"));
}

std::optional<bool> RememberedSettings::LabelsOn() const {
    return Switch(kLabels);
}

void RememberedSettings::SetLabelsOn(bool on) {
    Write(kLabels, on ? QStringLiteral("true") : QStringLiteral("false"));
}

std::optional<bool> RememberedSettings::FittedView() const {
    return Switch(kFitted);
}

void RememberedSettings::SetFittedView(bool fitted) {
    Write(kFitted, fitted ? QStringLiteral("true") : QStringLiteral("false"));
}

std::optional<double> RememberedSettings::BoxShare() const {
    bool ok = false;
    const double share = Text(kBoxShare).toDouble(&ok);
    if (!ok || !(share >= 0 && share <= 1)) {
        return std::nullopt;
    }
    return share;
}

void RememberedSettings::SetBoxShare(double share) {
    Write(kBoxShare, QString::number(share, 'g', 6));
}

}  // namespace vardesca
