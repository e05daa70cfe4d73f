// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/annotated_photo.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <QCoreApplication>
#include <QPainter>
#include <cstring>
#include <system_error>

#include "commands/png_writer.h"
#include "commands/safe_file.h"
#include "picture/picture_names.h"
#include "picture/pixel_memory.h"
#include "text/ui_text.h"
#include "picture/worker_threads.h"
#include "view/mark_overlay.h"

namespace vardesca {

QImage AnnotatedPicture(const QImage& picture, const MarkOverlay& overlay) {
    if (picture.isNull()) {
        return {};
    }
    // A copy, so the shown picture stays clean; in huge pages, because for a
    // 48 MP photo the page faults of an ordinary copy cost half an encoding.
    const QImage::Format paintable =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QImage source =
        picture.format() == paintable ? picture : picture.convertToFormat(paintable);
    QImage out = MakePixelImage(source.width(), source.height(), paintable);
    if (out.isNull() || source.isNull()) {
        return {};
    }
    const auto rowBytes = static_cast<std::size_t>(source.width()) * 4;
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(out.scanLine(y), source.constScanLine(y), rowBytes);
    }
    QPainter painter(&out);
    overlay.PaintOnPhoto(painter, std::max(1.0, std::min(out.width(), out.height()) / 1000.0));
    return out;
}

QString AnnotatedName(const QString& photoPath) {
    const QFileInfo photo(photoPath);
    return photo.dir().filePath(photo.completeBaseName() + QString::fromUtf8(kAnnotatedNameMark) +
                                QString::fromUtf8(annotated_text::kNameType));
}

namespace {

// The encoder a name's extension asks for, whatever its case.
struct ImageType {
    QByteArray format;  // empty: not one the program writes
    int quality = -1;
};

ImageType TypeForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        return {"PNG", -1};
    }
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        return {"JPEG", 92};
    }
    return {};
}

}  // namespace

Outcome EncodeForPath(const QImage& image, const QString& path, QByteArray& bytes) {
    const auto [format, quality] = TypeForPath(path);
    if (format.isEmpty()) {
        return Because(annotated_text::kUnknownType);
    }
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) {
        return Because(annotated_text::kEncodeFailed);
    }
    return std::nullopt;
}

// What the saving thread works on; shared, so that either side may be the last
// to let go of it. The window's thread reads `progress`; everything else is
// the thread's until it has ended.
struct AnnotatedPhotoExport::Job {
    QImage picture;
    MarkOverlay overlay;
    QString path;
    SafeFile file;
    EncodingProgress progress;
    int rows = 0;
    Outcome failure;
    bool committed = false;  // the target was replaced
};

AnnotatedPhotoExport::AnnotatedPhotoExport(WindowDialogs& dialogs) : dialogs_(dialogs) {
    tick_.setInterval(50);
    connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
}

AnnotatedPhotoExport::~AnnotatedPhotoExport() {
    Stop();
}

void AnnotatedPhotoExport::Fail(const QString& path, const Failure& failure) {
    dialogs_.ShowBox(QString(), UiText(annotated_text::kSaveFailed).arg(path, failure.Reason()),
                     WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
}

void AnnotatedPhotoExport::Save(const QImage& picture, const MarkOverlay& overlay,
                                const QString& photoPath) {
    if (Saving()) {
        return;  // the window says why before it gets here
    }
    if (picture.isNull()) {
        dialogs_.ShowBox(QString(), UiText(annotated_text::kNoPicture), WindowDialogs::Buttons::Ok,
                         WindowDialogs::Icon::Warning);
        return;
    }
    const std::optional<QString> chosen = dialogs_.SaveFile(AnnotatedName(photoPath));
    if (!chosen) {
        return;
    }
    // A name of no known type, or a target that can never be written, is said
    // at once, not after seconds of encoding a large photo.
    if (TypeForPath(*chosen).format.isEmpty()) {
        Fail(*chosen, Because(annotated_text::kUnknownType));
        return;
    }
    auto job = std::make_shared<Job>();
    if (const Outcome failure = job->file.Open(*chosen)) {
        Fail(*chosen, *failure);
        return;
    }
    job->picture = picture;  // shared, not copied: the shown picture is never written
    job->overlay = overlay;
    // A font of the save's own, made from the description alone: a copy would
    // share the window's font data, and its caches, with the saving thread.
    QFont own;
    own.fromString(overlay.Font().toString());
    job->overlay.SetFont(own);
    job->path = *chosen;
    job->rows = picture.height();
    job_ = job;
    finishing_ = false;
    // Where no thread is to be had, saved here, the window waiting, as it
    // always was; Finish says how it went either way.
    const bool beside = worker_.Start(
        [job](std::atomic<bool>& stop) {
            job->progress.stop = &stop;
            Work(job);
        },
        this, [this] { Finish(); });
    if (!beside) {
        return;
    }
    started_.start();
    tick_.start();
}

void AnnotatedPhotoExport::Work(const std::shared_ptr<Job>& job) {
    // On its own thread nothing may escape: out of memory ends as the same box
    // as on the window's, the old file kept (the temporary goes with the job).
    try {
        WorkOn(job);
    } catch (const std::bad_alloc&) {
        job->failure = Because(annotated_text::kNoMemory);
    } catch (const std::exception&) {
        job->failure = Because(annotated_text::kEncodeFailed);
    }
}

void AnnotatedPhotoExport::WorkOn(const std::shared_ptr<Job>& job) {
    const std::atomic<bool>& stop = *job->progress.stop;
    QImage annotated = AnnotatedPicture(job->picture, job->overlay);
    job->picture = QImage();
    if (annotated.isNull()) {
        job->failure = Because(annotated_text::kNoMemory);
        return;
    }
    std::vector<QByteArray> pieces;
    if (TypeForPath(job->path).format == "PNG") {
        pieces = EncodePng(annotated, WorkerThreads(), &job->progress);
        annotated = QImage();
        if (pieces.empty() && !stop.load()) {
            job->failure = Because(annotated_text::kEncodeFailed);
            return;
        }
    } else {
        QByteArray bytes;
        job->failure = EncodeForPath(annotated, job->path, bytes);
        annotated = QImage();
        if (job->failure) {
            return;
        }
        pieces.push_back(std::move(bytes));
        job->progress.rowsDone = job->rows;
    }
    for (QByteArray& piece : pieces) {
        if (stop.load()) {
            return;  // the temporary goes with the file; the target is untouched
        }
        if ((job->failure = job->file.Write(piece))) {
            return;
        }
        piece = QByteArray();
    }
    if (!stop.load()) {
        job->failure = job->file.Commit(job->progress.stop);
        job->committed = job->file.Committed();
    }
}

void AnnotatedPhotoExport::Tick() {
    if (!job_) {
        return;
    }
    if (worker_.Finished() && !finishing_) {
        // Said once more, in case the thread could not say it: Finish ignores
        // a second call.
        finishing_ = true;
        QMetaObject::invokeMethod(this, [this] { Finish(); }, Qt::QueuedConnection);
    }
    if (!progress_ && started_.elapsed() >= progressAfterMs_) {
        progress_ = dialogs_.ShowProgress(UiText(annotated_text::kProgress));
    }
    if (progress_) {
        const int done = job_->progress.rowsDone.load();
        progress_->SetPercent(job_->rows > 0 ? int(qint64(done) * 100 / job_->rows) : 0);
        if (progress_->Cancelled()) {
            worker_.AskToStop();
        }
    }
}

void AnnotatedPhotoExport::Finish() {
    if (!job_) {
        return;  // stopped meanwhile
    }
    const bool cancelled = worker_.StopAsked() || (progress_ && progress_->Cancelled());
    worker_.Stop();  // over already: joined, and a lost "done" not said later
    tick_.stop();
    progress_.reset();
    const std::shared_ptr<Job> job = std::move(job_);
    job_ = nullptr;
    if (job->failure && !cancelled) {
        Fail(job->path, *job->failure);
    } else if (cancelled && job->committed) {
        // Annulla came after the file had replaced the old one: it is saved,
        // and the user must not think otherwise.
        dialogs_.ShowBox(QString(), UiText(annotated_text::kSavedBeforeCancel).arg(job->path),
                         WindowDialogs::Buttons::Ok);
    }
    emit Done();
}

void AnnotatedPhotoExport::Stop() {
    if (job_) {
        worker_.Stop();
        tick_.stop();
        progress_.reset();
        job_ = nullptr;
    }
}

void AnnotatedPhotoExport::WaitUntilDone() {
    while (Saving()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

}  // namespace vardesca
