#include "commands/results_export.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

namespace vardesca {

namespace {

QString Reason(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::OpenError:
            return QStringLiteral("la cartella non esiste o non si ha il permesso di scriverci");
        case QFileDevice::PermissionsError:
            return QStringLiteral("permesso negato");
        case QFileDevice::WriteError:
        case QFileDevice::ResizeError:
            return QStringLiteral("scrittura non riuscita (disco pieno?)");
        case QFileDevice::RenameError:
            return QStringLiteral("impossibile sostituire il file esistente");
        default:
            return QStringLiteral("errore di scrittura");
    }
}

}  // namespace

std::optional<QString> WriteFileSafely(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    // A device or a folder is not a results file; renaming over it would be worse.
    if (target.exists() && !target.isFile()) {
        return QStringLiteral("non è un file normale");
    }
    if (!target.dir().exists()) {
        return QStringLiteral("la cartella non esiste");
    }
    // A file marked read-only is kept, even for a user (root) the system would
    // let through: renaming over it would silently drop the mark and the content.
    if (target.exists() && !(target.permissions() & QFileDevice::WriteOwner)) {
        return QStringLiteral("il file è di sola lettura");
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a short write is seen here and not lost in a flush
    // that commit() would not report.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return Reason(file.error());
    }
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        const QString reason = Reason(QFileDevice::WriteError);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return Reason(file.error() == QFileDevice::NoError ? QFileDevice::WriteError
                                                           : file.error());
    }
    return std::nullopt;
}

void ResultsExport::CopiaDati(const std::string& text) {
    const auto answer = dialogs_.ShowBox(QString::fromUtf8(export_text::kQuestionTitle),
                                         QString::fromUtf8(export_text::kQuestion),
                                         WindowDialogs::Buttons::YesNoCancel);
    if (answer == WindowDialogs::Answer::Yes) {
        // The clipboard only; the primary selection is the user's own.
        QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
        return;
    }
    if (answer != WindowDialogs::Answer::No) {
        return;
    }
    const std::optional<QString> chosen = dialogs_.SaveFile(lastFileName_);
    if (!chosen) {
        return;
    }
    lastFileName_ = *chosen;
    // The text as it stands, plus the CR LF that ends the file.
    const QByteArray bytes = QByteArray::fromStdString(text) + "\r\n";
    if (const auto failure = WriteFileSafely(*chosen, bytes)) {
        dialogs_.ShowBox(QString(), QString::fromUtf8(export_text::kSaveFailed).arg(*chosen, *failure),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

}  // namespace vardesca
