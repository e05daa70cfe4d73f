// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Why a picture could not be opened, or what is wrong with one that opened all
// the same, exactly as the user reads it after the file's name.
namespace vardesca::picture_text {

// The file itself.
inline constexpr const char* kNotFound = "file non trovato";
inline constexpr const char* kFolder = "è una cartella, non un file";
inline constexpr const char* kNotRegular = "non è un file normale";
inline constexpr const char* kNoReadPermission = "permesso di lettura negato";
inline constexpr const char* kEmpty = "il file è vuoto";
inline constexpr const char* kCannotOpen = "impossibile aprire il file";
inline constexpr const char* kReadError = "errore di lettura del file";
inline constexpr const char* kUnknownFormat = "il file non è un'immagine di un formato riconosciuto";
inline constexpr const char* kInvalidData = "il file è danneggiato o incompleto";
inline constexpr const char* kUnreadable = "il file non può essere letto come immagine";
inline constexpr const char* kTooLarge = "immagine troppo grande per la memoria disponibile";
inline constexpr const char* kNoSize = "l'immagine non ha dimensioni";
inline constexpr const char* kOutOfMemory = "memoria insufficiente";

// Photographs.
inline constexpr const char* kJpegDamaged = "i dati della foto sono danneggiati o incompleti";

// Windows metafiles.
inline constexpr const char* kWmfNotPlaceable =
    "metafile senza intestazione di posizionamento, le sue dimensioni reali non sono note";
inline constexpr const char* kWmfZeroInch = "metafile con zero unità per pollice";
inline constexpr const char* kWmfEmptyBox = "metafile con un riquadro vuoto o rovesciato";
inline constexpr const char* kWmfCannotPrepare = "impossibile preparare la lettura del metafile";
inline constexpr const char* kWmfUnreadable = "metafile illeggibile";
inline constexpr const char* kWmfDamaged = "metafile danneggiato";
inline constexpr const char* kWmfNoDrawing = "metafile senza disegno";
inline constexpr const char* kWmfTooSlow = "metafile troppo lento da disegnare";
inline constexpr const char* kWmfTruncated = "il metafile è troncato";
inline constexpr const char* kWmfRecordSkipped =
    "un record del metafile dichiara più dati di quanti ne contenga ed è stato saltato";
inline constexpr const char* kWmfRecordPastEnd = "un record del metafile va oltre la fine del file";
inline constexpr const char* kWmfNoEndRecord = "il metafile è troncato: manca il suo record finale";

// Bitmaps.
inline constexpr const char* kBmpShorterThanHeader =
    "il file è più corto di quanto dichiara la sua intestazione";
inline constexpr const char* kBmpPixelsPastEnd =
    "i dati dei pixel dovrebbero cominciare oltre la fine del file";
inline constexpr const char* kBmpBadResolution = "la risoluzione dichiarata non è valida";
inline constexpr const char* kBmpTopDownRle =
    "un'immagine compressa (RLE) non può essere memorizzata dall'alto in basso";
inline constexpr const char* kBmpTruncated = "il file è troncato: mancano dati dei pixel";
inline constexpr const char* kBmpWrongSize = "la dimensione dichiarata dei dati dei pixel è sbagliata";
inline constexpr const char* kRleEndsEarly =
    "i dati compressi (RLE) si interrompono prima della fine dell'immagine";
inline constexpr const char* kRlePastPicture = "i dati compressi (RLE) vanno oltre l'immagine";
inline constexpr const char* kColoursNotInPalette =
    "alcuni pixel hanno colori che la tavolozza non contiene";

// GIFs.
inline constexpr const char* kGifTruncated = "il file è troncato";
inline constexpr const char* kGifForeignBlock = "il file contiene un blocco che non appartiene a una GIF";
inline constexpr const char* kGifBadLzw = "i dati dell'immagine non sono validi (LZW)";
inline constexpr const char* kGifBadCode = "i dati dell'immagine non sono validi (codice LZW errato)";
inline constexpr const char* kGifIncomplete = "i dati dell'immagine sono incompleti";

// Icons.
inline constexpr const char* kIcoIndexTooLong =
    "l'indice dell'icona annuncia più immagini di quante il file ne contenga";
inline constexpr const char* kIcoImagePastEnd = "un'immagine dell'icona va oltre la fine del file";
inline constexpr const char* kIcoBadHeader = "un'immagine dell'icona ha un'intestazione non valida";
inline constexpr const char* kIcoWrongSize =
    "un'immagine dell'icona non ha le dimensioni che l'indice dichiara";
inline constexpr const char* kIcoBadCompression = "un'immagine dell'icona ha una compressione non valida";

}  // namespace vardesca::picture_text
