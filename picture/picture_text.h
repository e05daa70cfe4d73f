// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Why a picture could not be opened, or what is wrong with one that opened all
// the same, exactly as the user reads it after the file's name.
namespace vardesca::picture_text {

// The file itself.
inline constexpr const char* kNotFound = QT_TRANSLATE_NOOP("Vardesca", "file non trovato");
inline constexpr const char* kFolder = QT_TRANSLATE_NOOP("Vardesca", "è una cartella, non un file");
inline constexpr const char* kNotRegular = QT_TRANSLATE_NOOP("Vardesca", "non è un file normale");
inline constexpr const char* kNoReadPermission =
    QT_TRANSLATE_NOOP("Vardesca", "permesso di lettura negato");
inline constexpr const char* kEmpty = QT_TRANSLATE_NOOP("Vardesca", "il file è vuoto");
inline constexpr const char* kCannotOpen =
    QT_TRANSLATE_NOOP("Vardesca", "impossibile aprire il file");
inline constexpr const char* kReadError =
    QT_TRANSLATE_NOOP("Vardesca", "errore di lettura del file");
inline constexpr const char* kUnknownFormat =
    QT_TRANSLATE_NOOP("Vardesca", "il file non è un'immagine di un formato riconosciuto");
inline constexpr const char* kInvalidData =
    QT_TRANSLATE_NOOP("Vardesca", "il file è danneggiato o incompleto");
inline constexpr const char* kUnreadable =
    QT_TRANSLATE_NOOP("Vardesca", "il file non può essere letto come immagine");
inline constexpr const char* kTooLarge =
    QT_TRANSLATE_NOOP("Vardesca", "immagine troppo grande per la memoria disponibile");
inline constexpr const char* kNoSize =
    QT_TRANSLATE_NOOP("Vardesca", "l'immagine non ha dimensioni");
inline constexpr const char* kOutOfMemory = QT_TRANSLATE_NOOP("Vardesca", "memoria insufficiente");

// Photographs.
inline constexpr const char* kJpegDamaged =
    QT_TRANSLATE_NOOP("Vardesca", "i dati della foto sono danneggiati o incompleti");

// Windows metafiles.
inline constexpr const char* kWmfNotPlaceable = QT_TRANSLATE_NOOP(
    "Vardesca",
    "metafile senza intestazione di posizionamento, le sue dimensioni reali non sono note");
inline constexpr const char* kWmfZeroInch =
    QT_TRANSLATE_NOOP("Vardesca", "metafile con zero unità per pollice");
inline constexpr const char* kWmfEmptyBox =
    QT_TRANSLATE_NOOP("Vardesca", "metafile con un riquadro vuoto o rovesciato");
inline constexpr const char* kWmfCannotPrepare =
    QT_TRANSLATE_NOOP("Vardesca", "impossibile preparare la lettura del metafile");
inline constexpr const char* kWmfUnreadable = QT_TRANSLATE_NOOP("Vardesca", "metafile illeggibile");
inline constexpr const char* kWmfDamaged = QT_TRANSLATE_NOOP("Vardesca", "metafile danneggiato");
inline constexpr const char* kWmfNoDrawing =
    QT_TRANSLATE_NOOP("Vardesca", "metafile senza disegno");
inline constexpr const char* kWmfTooSlow =
    QT_TRANSLATE_NOOP("Vardesca", "metafile troppo lento da disegnare");
inline constexpr const char* kWmfTruncated =
    QT_TRANSLATE_NOOP("Vardesca", "il metafile è troncato");
inline constexpr const char* kWmfRecordSkipped = QT_TRANSLATE_NOOP(
    "Vardesca",
    "un record del metafile dichiara più dati di quanti ne contenga ed è stato saltato");
inline constexpr const char* kWmfRecordPastEnd =
    QT_TRANSLATE_NOOP("Vardesca", "un record del metafile va oltre la fine del file");
inline constexpr const char* kWmfNoEndRecord =
    QT_TRANSLATE_NOOP("Vardesca", "il metafile è troncato: manca il suo record finale");

// Bitmaps.
inline constexpr const char* kBmpShorterThanHeader =
    QT_TRANSLATE_NOOP("Vardesca", "il file è più corto di quanto dichiara la sua intestazione");
inline constexpr const char* kBmpPixelsPastEnd =
    QT_TRANSLATE_NOOP("Vardesca", "i dati dei pixel dovrebbero cominciare oltre la fine del file");
inline constexpr const char* kBmpBadResolution =
    QT_TRANSLATE_NOOP("Vardesca", "la risoluzione dichiarata non è valida");
inline constexpr const char* kBmpTopDownRle = QT_TRANSLATE_NOOP(
    "Vardesca", "un'immagine compressa (RLE) non può essere memorizzata dall'alto in basso");
inline constexpr const char* kBmpTruncated =
    QT_TRANSLATE_NOOP("Vardesca", "il file è troncato: mancano dati dei pixel");
inline constexpr const char* kBmpWrongSize =
    QT_TRANSLATE_NOOP("Vardesca", "la dimensione dichiarata dei dati dei pixel è sbagliata");
inline constexpr const char* kRleEndsEarly = QT_TRANSLATE_NOOP(
    "Vardesca", "i dati compressi (RLE) si interrompono prima della fine dell'immagine");
inline constexpr const char* kRlePastPicture =
    QT_TRANSLATE_NOOP("Vardesca", "i dati compressi (RLE) vanno oltre l'immagine");
inline constexpr const char* kColoursNotInPalette =
    QT_TRANSLATE_NOOP("Vardesca", "alcuni pixel hanno colori che la tavolozza non contiene");

// GIFs.
inline constexpr const char* kGifTruncated = QT_TRANSLATE_NOOP("Vardesca", "il file è troncato");
inline constexpr const char* kGifForeignBlock =
    QT_TRANSLATE_NOOP("Vardesca", "il file contiene un blocco che non appartiene a una GIF");
inline constexpr const char* kGifBadLzw =
    QT_TRANSLATE_NOOP("Vardesca", "i dati dell'immagine non sono validi (LZW)");
inline constexpr const char* kGifBadCode =
    QT_TRANSLATE_NOOP("Vardesca", "i dati dell'immagine non sono validi (codice LZW errato)");
inline constexpr const char* kGifIncomplete =
    QT_TRANSLATE_NOOP("Vardesca", "i dati dell'immagine sono incompleti");

// Icons.
inline constexpr const char* kIcoIndexTooLong = QT_TRANSLATE_NOOP(
    "Vardesca", "l'indice dell'icona annuncia più immagini di quante il file ne contenga");
inline constexpr const char* kIcoImagePastEnd =
    QT_TRANSLATE_NOOP("Vardesca", "un'immagine dell'icona va oltre la fine del file");
inline constexpr const char* kIcoBadHeader =
    QT_TRANSLATE_NOOP("Vardesca", "un'immagine dell'icona ha un'intestazione non valida");
inline constexpr const char* kIcoWrongSize = QT_TRANSLATE_NOOP(
    "Vardesca", "un'immagine dell'icona non ha le dimensioni che l'indice dichiara");
inline constexpr const char* kIcoBadCompression =
    QT_TRANSLATE_NOOP("Vardesca", "un'immagine dell'icona ha una compressione non valida");

}  // namespace vardesca::picture_text
