<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="it_IT">
<context>
    <name>Vardesca</name>
    <message>
        <source>Le misure <byte value="xd"/>
effettuate <byte value="xd"/>
compariranno in <byte value="xd"/>
questo box, i <byte value="xd"/>
cui contenuti <byte value="xd"/>
sono <byte value="xd"/>
completamente <byte value="xd"/>
editabili.<byte value="xd"/>
<byte value="xd"/>
E&apos; possibile <byte value="xd"/>
cancellare dati, <byte value="xd"/>
aggiungere <byte value="xd"/>
note, etc.<byte value="xd"/>
<byte value="xd"/>
Per iniziare,<byte value="xd"/>
apri <byte value="xd"/>
un&apos;immagine<byte value="xd"/>
e poi premi<byte value="xd"/>
&quot;Inizia<byte value="xd"/>
misurazioni&quot;.<byte value="xd"/>
</source>
        <translation>Your measurements <byte value="xd"/>
will appear <byte value="xd"/>
in this box, <byte value="xd"/>
whose contents <byte value="xd"/>
are fully <byte value="xd"/>
editable.<byte value="xd"/>
<byte value="xd"/>
You can <byte value="xd"/>
delete data, <byte value="xd"/>
add notes, <byte value="xd"/>
etc.<byte value="xd"/>
<byte value="xd"/>
To begin,<byte value="xd"/>
open <byte value="xd"/>
a picture<byte value="xd"/>
and then press<byte value="xd"/>
&quot;Start<byte value="xd"/>
measuring&quot;.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Vardesca?</source>
        <translation>Vardesca?</translation>
    </message>
    <message>
        <source>Esci</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Resetta misurazioni</source>
        <translation>Reset measurements</translation>
    </message>
    <message>
        <source>Inizia misurazioni</source>
        <translation>Start measuring</translation>
    </message>
    <message>
        <source>Copia i dati</source>
        <translation>Copy the data</translation>
    </message>
    <message>
        <source>Carica immagine</source>
        <translation>Load picture</translation>
    </message>
    <message>
        <source>Apri</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>altre immagini</source>
        <translation>other pictures</translation>
    </message>
    <message>
        <source>Questa è l&apos;ultima foto della cartella: non ce ne sono altre dopo.</source>
        <translation>This is the last photo of the folder: there are none after it.</translation>
    </message>
    <message>
        <source>Questa è la prima foto della cartella: non ce ne sono altre prima.</source>
        <translation>This is the first photo of the folder: there are none before it.</translation>
    </message>
    <message>
        <source>Riferimenti discordanti</source>
        <translation>References disagree</translation>
    </message>
    <message>
        <source>Le scale dei due riferimenti differiscono del %1 %: di solito è un clic fuori posto, e ogni lunghezza misurata ne porterebbe l&apos;errore.

Calibrare di nuovo?</source>
        <translation>The two references&apos; scales differ by %1 %: usually a click out of place, and every length measured would carry its error.

Calibrate again?</translation>
    </message>
    <message>
        <source>Impossibile aprire l&apos;immagine

%1

%2.</source>
        <translation>Cannot open the picture

%1

%2.</translation>
    </message>
    <message>
        <source>L&apos;immagine è danneggiata o incompleta: una parte può mancare.

%1

%2.

Si può misurare lo stesso su quello che si vede.</source>
        <translation>The picture is damaged or incomplete: part of it may be missing.

%1

%2.

You can still measure on what you see.</translation>
    </message>
    <message>
        <source>Vuoi veramente resettare?</source>
        <translation>Do you really want to reset?</translation>
    </message>
    <message>
        <source>Attenzione</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Si è verificato un errore: %1.

L&apos;operazione è stata interrotta; le misure già presenti nel riquadro dei risultati restano dove sono.</source>
        <translation>An error occurred: %1.

The operation was stopped; the measurements already in the results box stay where they are.</translation>
    </message>
    <message>
        <source>memoria insufficiente</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>Tasti e mouse</source>
        <translation>Keys and mouse</translation>
    </message>
    <message>
        <source>Mouse sulla foto
  Clic (qualsiasi tasto): un punto di riferimento o di misura
  Doppio clic: conta come un solo clic
  Rotella: scorre in verticale; Maiusc+rotella: in orizzontale
  Ctrl+rotella: ingrandisce o riduce attorno al puntatore

</source>
        <translation>Mouse on the photo
  Click (any button): a reference or measuring point
  Double click: counts as one click
  Wheel: scrolls vertically; Shift+wheel: horizontally
  Ctrl+wheel: zooms in or out around the pointer

</translation>
    </message>
    <message>
        <source>Tastiera, ovunque
</source>
        <translation>Keyboard, everywhere
</translation>
    </message>
    <message>
        <source>Tastiera, fuori dal riquadro dei risultati
</source>
        <translation>Keyboard, outside the results box
</translation>
    </message>
    <message>
        <source>Nel riquadro dei risultati ogni tasto scrive, e Ctrl+Z, Ctrl+Maiusc+Z, Ctrl+A, Ctrl+C, Ctrl+V e Ctrl+X agiscono sul testo.</source>
        <translation>In the results box every key types, and Ctrl+Z, Ctrl+Shift+Z, Ctrl+A, Ctrl+C, Ctrl+V and Ctrl+X act on the text.</translation>
    </message>
    <message>
        <source> — %1 %</source>
        <translation> — %1 %</translation>
    </message>
    <message>
        <source> — %1 px/cm, riferimenti ±%2 %</source>
        <translation> — %1 px/cm, references ±%2 %</translation>
    </message>
    <message>
        <source> — riferimento 1: primo punto</source>
        <translation> — reference 1: first point</translation>
    </message>
    <message>
        <source> — riferimento 1: secondo punto</source>
        <translation> — reference 1: second point</translation>
    </message>
    <message>
        <source> — riferimento 2: primo punto</source>
        <translation> — reference 2: first point</translation>
    </message>
    <message>
        <source> — riferimento 2: secondo punto</source>
        <translation> — reference 2: second point</translation>
    </message>
    <message>
        <source>%1 cm</source>
        <translation>%1 cm</translation>
    </message>
    <message>
        <source>errore interno del programma</source>
        <translation>internal error of the program</translation>
    </message>
    <message>
        <source>Calibrazione (1 di 3)</source>
        <translation>Calibration (1 of 3)</translation>
    </message>
    <message>
        <source>Calibrazione (2 di 3)</source>
        <translation>Calibration (2 of 3)</translation>
    </message>
    <message>
        <source>Calibrazione (3 di 3)</source>
        <translation>Calibration (3 of 3)</translation>
    </message>
    <message>
        <source>Per due volte bisognerà cliccare in successione su due punti posti ad una distanza nota. Utilizzare riferimenti non troppo piccoli per ridurre l&apos;errore di misura. Se nell&apos;immagine è disponibile un solo riferimento, è comunque possibile usarlo due volte. La configurazione ideale è quella con due riferimenti lunghi quanto l&apos;immagine o quasi e posti a due estremità opposte della stessa.</source>
        <translation>Twice you will click, one after the other, on two points a known distance apart. Use references that are not too small, to reduce the measuring error. If the picture has only one reference, you can use it twice. The ideal set-up is two references about as long as the picture, at two opposite ends of it.</translation>
    </message>
    <message>
        <source>Qual&apos;è la distanza reale in cm fra i due punti selezionati?</source>
        <translation>What is the real distance in cm between the two points selected?</translation>
    </message>
    <message>
        <source>Calibrazione</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>Valore non valido: scrivere la distanza reale in cm, un numero maggiore di zero.</source>
        <translation>Value not valid: write the real distance in cm, a number greater than zero.</translation>
    </message>
    <message>
        <source>I due punti coincidono: cliccare di nuovo le due estremità del riferimento.</source>
        <translation>The two points are the same: click the two ends of the reference again.</translation>
    </message>
    <message>
        <source>Misurazioni</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>Annulla</source>
        <comment>undo</comment>
        <translation>Undo</translation>
    </message>
    <message>
        <source>La misura è stata annullata, ma la sua riga non è più l&apos;ultima del riquadro dei risultati: il testo resta com&apos;è.</source>
        <translation>The measurement was undone, but its line is no longer the last in the results box: the text stays as it is.</translation>
    </message>
    <message>
        <source>È stato raggiunto il limite di 32767 misure: questa misura non è stata registrata. Copiare i dati, poi premere &quot;Resetta misurazioni&quot; per iniziare una nuova serie.</source>
        <translation>The limit of 32767 measurements has been reached: this measurement was not recorded. Copy the data, then press &quot;Reset measurements&quot; to start a new series.</translation>
    </message>
    <message>
        <source>valore fuori dall&apos;intervallo di un intero a 32 bit</source>
        <translation>value outside the range of a 32-bit integer</translation>
    </message>
    <message>
        <source>differenza fuori dall&apos;intervallo di un intero a 32 bit</source>
        <translation>difference outside the range of a 32-bit integer</translation>
    </message>
    <message>
        <source>Ctrl+0: foto intera nella finestra; Ctrl+1: 100 %</source>
        <translation>Ctrl+0: whole photo in the window; Ctrl+1: 100 %</translation>
    </message>
    <message>
        <source>Ctrl++ e Ctrl+-: ingrandisce e riduce</source>
        <translation>Ctrl++ and Ctrl+-: zoom in and out</translation>
    </message>
    <message>
        <source>Ctrl+Z: annulla l&apos;ultimo clic; Ctrl+Maiusc+Z: lo ripete</source>
        <translation>Ctrl+Z: undoes the last click; Ctrl+Shift+Z: redoes it</translation>
    </message>
    <message>
        <source>Frecce: scorrono la foto</source>
        <translation>Arrows: scroll the photo</translation>
    </message>
    <message>
        <source>Ctrl+PgGiù e Ctrl+PgSu: foto successiva e precedente della cartella</source>
        <translation>Ctrl+PgDown and Ctrl+PgUp: next and previous photo of the folder</translation>
    </message>
    <message>
        <source>Ctrl+S: salva i risultati in un file; Ctrl+Maiusc+C: li copia negli appunti</source>
        <translation>Ctrl+S: saves the results to a file; Ctrl+Shift+C: copies them to the clipboard</translation>
    </message>
    <message>
        <source>Ctrl+O: carica un&apos;immagine</source>
        <translation>Ctrl+O: loads a picture</translation>
    </message>
    <message>
        <source>Ctrl+T: salva la tabella delle misure (foto, numero, lunghezza, punti, scala)</source>
        <translation>Ctrl+T: saves the measurement table (photo, number, length, points, scale)</translation>
    </message>
    <message>
        <source>Ctrl+E: salva la foto con i segni</source>
        <translation>Ctrl+E: saves the photo with its marks</translation>
    </message>
    <message>
        <source>Ctrl+Q: esce (dopo la domanda)</source>
        <translation>Ctrl+Q: exits (after the question)</translation>
    </message>
    <message>
        <source>F1: questo elenco</source>
        <translation>F1: this list</translation>
    </message>
    <message>
        <source>Tab e Maiusc+Tab: passano da un comando all&apos;altro</source>
        <translation>Tab and Shift+Tab: move from one control to the next</translation>
    </message>
    <message>
        <source>Backspace: annulla l&apos;ultimo clic</source>
        <translation>Backspace: undoes the last click</translation>
    </message>
    <message>
        <source>Esc: rinuncia al primo punto di una coppia</source>
        <translation>Esc: gives up the first point of a pair</translation>
    </message>
    <message>
        <source>L: mostra o nasconde la lente</source>
        <translation>L: shows or hides the loupe</translation>
    </message>
    <message>
        <source>N: mostra o nasconde numeri e lunghezze sulla foto</source>
        <translation>N: shows or hides the numbers and lengths on the photo</translation>
    </message>
    <message>
        <source>Recupero della sessione</source>
        <translation>Session recovery</translation>
    </message>
    <message>
        <source>La sessione precedente non si è chiusa normalmente (%1): recuperare le misure e il testo dei risultati?</source>
        <translation>The previous session did not end normally (%1): recover the measurements and the results text?</translation>
    </message>
    <message>
        <source>ultima modifica il %1 alle %2</source>
        <translation>last changed on %1 at %2</translation>
    </message>
    <message>
        <source>La foto

%1

non c&apos;è più o è stata modificata dopo la sessione precedente: sono stati recuperati soltanto il testo dei risultati e la tabella delle misure.</source>
        <translation>The photo

%1

is gone or was changed after the previous session: only the results text and the measurement table were recovered.</translation>
    </message>
    <message>
        <source>Il registro della sessione precedente è stato conservato in

%1</source>
        <translation>The previous session&apos;s journal was kept in

%1</translation>
    </message>
    <message>
        <source>Ho scritto questo programma per un amico </source>
        <translation>I wrote this program for a friend </translation>
    </message>
    <message>
        <source>che doveva misurare i pesci catturati </source>
        <translation>who had to measure the fish caught </translation>
    </message>
    <message>
        <source>durante i campionamenti nei fiumi. </source>
        <translation>while sampling rivers. </translation>
    </message>
    <message>
        <source>Gli animali venivano fotografati sul campo </source>
        <translation>The animals were photographed in the field </translation>
    </message>
    <message>
        <source>e misurati in seguito sulle fotografie. </source>
        <translation>and measured later on the photographs. </translation>
    </message>
    <message>
        <source>Nessun programma esistente era adatto allo scopo, </source>
        <translation>None of the programs around suited the purpose, </translation>
    </message>
    <message>
        <source>così ne ho scritto uno </source>
        <translation>so I wrote one </translation>
    </message>
    <message>
        <source>che mette al primo posto </source>
        <translation>that puts first </translation>
    </message>
    <message>
        <source>la semplicità d&apos;uso. </source>
        <translation>ease of use. </translation>
    </message>
    <message>
        <source>Vuoi veramente uscire?</source>
        <translation>Do you really want to exit?</translation>
    </message>
    <message>
        <source>Impossibile salvare l&apos;immagine annotata

%1

%2.</source>
        <translation>Cannot save the annotated picture

%1

%2.</translation>
    </message>
    <message>
        <source>Nessuna immagine da salvare: caricare prima una foto con &quot;Carica immagine&quot;.</source>
        <translation>No picture to save: first load a photo with &quot;Load picture&quot;.</translation>
    </message>
    <message>
        <source>estensione non riconosciuta: il nome deve finire in .png, .jpg o .jpeg</source>
        <translation>extension not recognised: the name must end in .png, .jpg or .jpeg</translation>
    </message>
    <message>
        <source>memoria insufficiente per l&apos;immagine annotata</source>
        <translation>not enough memory for the annotated picture</translation>
    </message>
    <message>
        <source>codifica dell&apos;immagine non riuscita</source>
        <translation>encoding the picture failed</translation>
    </message>
    <message>
        <source>Salvataggio dell&apos;immagine annotata…</source>
        <translation>Saving the annotated picture…</translation>
    </message>
    <message>
        <source>Salvataggio dell&apos;immagine annotata in corso: attendere che finisca, oppure premere Annulla nella finestra di avanzamento.</source>
        <translation>The annotated picture is being saved: wait until it is done, or press Cancel in the progress window.</translation>
    </message>
    <message>
        <source>misure.csv</source>
        <translation>measurements.csv</translation>
    </message>
    <message>
        <source>foto</source>
        <translation>photo</translation>
    </message>
    <message>
        <source>numero</source>
        <translation>number</translation>
    </message>
    <message>
        <source>lunghezza (cm)</source>
        <translation>length (cm)</translation>
    </message>
    <message>
        <source>x0 (px)</source>
        <translation>x0 (px)</translation>
    </message>
    <message>
        <source>y0 (px)</source>
        <translation>y0 (px)</translation>
    </message>
    <message>
        <source>x1 (px)</source>
        <translation>x1 (px)</translation>
    </message>
    <message>
        <source>y1 (px)</source>
        <translation>y1 (px)</translation>
    </message>
    <message>
        <source>scala (px/cm)</source>
        <translation>scale (px/cm)</translation>
    </message>
    <message>
        <source>riferimento 1 (px/cm)</source>
        <translation>reference 1 (px/cm)</translation>
    </message>
    <message>
        <source>riferimento 2 (px/cm)</source>
        <translation>reference 2 (px/cm)</translation>
    </message>
    <message>
        <source>Nessuna misura da salvare: la tabella raccoglie le misure prese da quando il programma è stato avviato o da &quot;Resetta misurazioni&quot;.</source>
        <translation>No measurement to save: the table gathers the measurements taken since the program started or since &quot;Reset measurements&quot;.</translation>
    </message>
    <message>
        <source>Impossibile salvare la tabella delle misure

%1

%2.</source>
        <translation>Cannot save the measurement table

%1

%2.</translation>
    </message>
    <message>
        <source>Clicca Si per copiare i dati negli appunti e incollarli altrove, No per salvarli in un file o Annulla se hai cambiato idea.</source>
        <translation>Click Yes to copy the data to the clipboard and paste them elsewhere, No to save them to a file, or Cancel if you changed your mind.</translation>
    </message>
    <message>
        <source>Vuoi copiare i dati per incollarli altrove?</source>
        <translation>Do you want to copy the data to paste them elsewhere?</translation>
    </message>
    <message>
        <source>Impossibile salvare il file

%1

%2.</source>
        <translation>Cannot save the file

%1

%2.</translation>
    </message>
    <message>
        <source>la cartella non esiste o non si ha il permesso di scriverci</source>
        <translation>the folder does not exist or you are not allowed to write in it</translation>
    </message>
    <message>
        <source>permesso negato</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>scrittura non riuscita (disco pieno?)</source>
        <translation>writing failed (disk full?)</translation>
    </message>
    <message>
        <source>impossibile sostituire il file esistente</source>
        <translation>cannot replace the existing file</translation>
    </message>
    <message>
        <source>errore di scrittura</source>
        <translation>write error</translation>
    </message>
    <message>
        <source>non è un file normale</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>la cartella non esiste</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>il file è di sola lettura per questo utente</source>
        <translation>the file is read-only for this user</translation>
    </message>
    <message>
        <source>il disco o la cartella sono di sola lettura (file system montato in sola lettura)</source>
        <translation>the disk or the folder is read-only (file system mounted read-only)</translation>
    </message>
    <message>
        <source>il disco è pieno</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>lo spazio concesso a questo utente sul disco è esaurito</source>
        <translation>this user&apos;s disk quota is used up</translation>
    </message>
    <message>
        <source>il file supera la dimensione massima che questo sistema consente</source>
        <translation>the file exceeds the largest size this system allows</translation>
    </message>
    <message>
        <source>Impossibile scrivere il registro della sessione

%1

%2.

Si può continuare a misurare, ma se il programma si chiudesse in modo anomalo le misure non esportate andrebbero perse.</source>
        <translation>Cannot write the session&apos;s journal

%1

%2.

You can go on measuring, but if the program ended abnormally the measurements not exported would be lost.</translation>
    </message>
    <message>
        <source>Sì</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Annulla</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>file non trovato</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>è una cartella, non un file</source>
        <translation>it is a folder, not a file</translation>
    </message>
    <message>
        <source>permesso di lettura negato</source>
        <translation>permission to read denied</translation>
    </message>
    <message>
        <source>il file è vuoto</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>impossibile aprire il file</source>
        <translation>cannot open the file</translation>
    </message>
    <message>
        <source>errore di lettura del file</source>
        <translation>error reading the file</translation>
    </message>
    <message>
        <source>il file non è un&apos;immagine di un formato riconosciuto</source>
        <translation>the file is not a picture of a known format</translation>
    </message>
    <message>
        <source>il file è danneggiato o incompleto</source>
        <translation>the file is damaged or incomplete</translation>
    </message>
    <message>
        <source>il file non può essere letto come immagine</source>
        <translation>the file cannot be read as a picture</translation>
    </message>
    <message>
        <source>immagine troppo grande per la memoria disponibile</source>
        <translation>picture too large for the memory available</translation>
    </message>
    <message>
        <source>l&apos;immagine non ha dimensioni</source>
        <translation>the picture has no size</translation>
    </message>
    <message>
        <source>i dati della foto sono danneggiati o incompleti</source>
        <translation>the photo&apos;s data are damaged or incomplete</translation>
    </message>
    <message>
        <source>metafile senza intestazione di posizionamento, le sue dimensioni reali non sono note</source>
        <translation>metafile without a placeable header, its real size is not known</translation>
    </message>
    <message>
        <source>metafile con zero unità per pollice</source>
        <translation>metafile with zero units per inch</translation>
    </message>
    <message>
        <source>metafile con un riquadro vuoto o rovesciato</source>
        <translation>metafile with an empty or inverted bounding box</translation>
    </message>
    <message>
        <source>impossibile preparare la lettura del metafile</source>
        <translation>cannot prepare to read the metafile</translation>
    </message>
    <message>
        <source>metafile illeggibile</source>
        <translation>metafile unreadable</translation>
    </message>
    <message>
        <source>metafile danneggiato</source>
        <translation>metafile damaged</translation>
    </message>
    <message>
        <source>metafile senza disegno</source>
        <translation>metafile without a drawing</translation>
    </message>
    <message>
        <source>metafile troppo lento da disegnare</source>
        <translation>metafile too slow to draw</translation>
    </message>
    <message>
        <source>il metafile è troncato</source>
        <translation>the metafile is truncated</translation>
    </message>
    <message>
        <source>un record del metafile dichiara più dati di quanti ne contenga ed è stato saltato</source>
        <translation>a record of the metafile declares more data than it holds and was skipped</translation>
    </message>
    <message>
        <source>un record del metafile va oltre la fine del file</source>
        <translation>a record of the metafile runs past the end of the file</translation>
    </message>
    <message>
        <source>il metafile è troncato: manca il suo record finale</source>
        <translation>the metafile is truncated: its end record is missing</translation>
    </message>
    <message>
        <source>il file è più corto di quanto dichiara la sua intestazione</source>
        <translation>the file is shorter than its header declares</translation>
    </message>
    <message>
        <source>i dati dei pixel dovrebbero cominciare oltre la fine del file</source>
        <translation>the pixel data would begin past the end of the file</translation>
    </message>
    <message>
        <source>la risoluzione dichiarata non è valida</source>
        <translation>the declared resolution is not valid</translation>
    </message>
    <message>
        <source>un&apos;immagine compressa (RLE) non può essere memorizzata dall&apos;alto in basso</source>
        <translation>a compressed (RLE) picture cannot be stored top-down</translation>
    </message>
    <message>
        <source>il file è troncato: mancano dati dei pixel</source>
        <translation>the file is truncated: pixel data are missing</translation>
    </message>
    <message>
        <source>la dimensione dichiarata dei dati dei pixel è sbagliata</source>
        <translation>the declared size of the pixel data is wrong</translation>
    </message>
    <message>
        <source>i dati compressi (RLE) si interrompono prima della fine dell&apos;immagine</source>
        <translation>the compressed (RLE) data stop before the end of the picture</translation>
    </message>
    <message>
        <source>i dati compressi (RLE) vanno oltre l&apos;immagine</source>
        <translation>the compressed (RLE) data run past the picture</translation>
    </message>
    <message>
        <source>alcuni pixel hanno colori che la tavolozza non contiene</source>
        <translation>some pixels have colours the palette does not hold</translation>
    </message>
    <message>
        <source>il file è troncato</source>
        <translation>the file is truncated</translation>
    </message>
    <message>
        <source>il file contiene un blocco che non appartiene a una GIF</source>
        <translation>the file holds a block that does not belong in a GIF</translation>
    </message>
    <message>
        <source>i dati dell&apos;immagine non sono validi (LZW)</source>
        <translation>the picture&apos;s data are not valid (LZW)</translation>
    </message>
    <message>
        <source>i dati dell&apos;immagine non sono validi (codice LZW errato)</source>
        <translation>the picture&apos;s data are not valid (wrong LZW code)</translation>
    </message>
    <message>
        <source>i dati dell&apos;immagine sono incompleti</source>
        <translation>the picture&apos;s data are incomplete</translation>
    </message>
    <message>
        <source>l&apos;indice dell&apos;icona annuncia più immagini di quante il file ne contenga</source>
        <translation>the icon&apos;s index announces more images than the file holds</translation>
    </message>
    <message>
        <source>un&apos;immagine dell&apos;icona va oltre la fine del file</source>
        <translation>an image of the icon runs past the end of the file</translation>
    </message>
    <message>
        <source>un&apos;immagine dell&apos;icona ha un&apos;intestazione non valida</source>
        <translation>an image of the icon has a header that is not valid</translation>
    </message>
    <message>
        <source>un&apos;immagine dell&apos;icona non ha le dimensioni che l&apos;indice dichiara</source>
        <translation>an image of the icon does not have the size its index declares</translation>
    </message>
    <message>
        <source>un&apos;immagine dell&apos;icona ha una compressione non valida</source>
        <translation>an image of the icon has a compression that is not valid</translation>
    </message>
    <message>
        <source>La riga %1 del registro della sessione è danneggiata: %2.</source>
        <translation>Line %1 of the session journal is damaged: %2.</translation>
    </message>
    <message>
        <source>la foto non è stata ricaricata; testo e misure dopo di essa recuperati</source>
        <translation>the photo was not loaded again; the text and the measurements after it were recovered</translation>
    </message>
    <message>
        <source>le azioni sulla foto da quel punto in poi non sono state ripetute; le misure prese prima e le modifiche al testo dei risultati sono state recuperate</source>
        <translation>what was done on the photo from there on was not replayed; the measurements taken before and the edits of the results text were recovered</translation>
    </message>
    <message>
        <source>una modifica del testo dei risultati non è stata recuperata</source>
        <translation>an edit of the results text was not recovered</translation>
    </message>
    <message>
        <source>una riga della tabella delle misure non è stata recuperata</source>
        <translation>a row of the measurement table was not recovered</translation>
    </message>
    <message>
        <source>quanto conteneva non è stato recuperato</source>
        <translation>what it held was not recovered</translation>
    </message>
    <message>
        <source>non conteneva nulla che servisse al recupero</source>
        <translation>it held nothing the recovery needed</translation>
    </message>
    <message>
        <source>la cartella è un collegamento simbolico</source>
        <translation>the folder is a symbolic link</translation>
    </message>
    <message>
        <source>la cartella appartiene a un altro utente</source>
        <translation>the folder belongs to another user</translation>
    </message>
    <message>
        <source>la cartella è scrivibile anche da altri utenti</source>
        <translation>other users may write in the folder</translation>
    </message>
    <message>
        <source>Il salvataggio era già completo quando è stato premuto Annulla: l&apos;immagine annotata è stata salvata in

%1</source>
        <translation>The save was already complete when Cancel was pressed: the annotated photo was saved in

%1</translation>
    </message>
    <message>
        <source>Ctrl+I: inizia misurazioni (come il pulsante)</source>
        <translation>Ctrl+I: start measuring (as the button does)</translation>
    </message>
    <message>
        <source>Tabella CSV (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>Foglio di calcolo Excel (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>misure</source>
        <translation>measurements</translation>
    </message>
    <message>
        <source>il foglio di calcolo non si è potuto comporre</source>
        <translation>the workbook could not be put together</translation>
    </message>
    <message>
        <source>Punto spostato</source>
        <translation>Point moved</translation>
    </message>
    <message>
        <source>Il punto è stato spostato, ma queste righe del riquadro dei risultati non sono più come il programma le aveva scritte: il testo resta com&apos;è. Le nuove lunghezze sono:</source>
        <translation>The point was moved, but these lines of the results box are no longer as the program wrote them: the text stays as it is. The new lengths are:</translation>
    </message>
    <message>
        <source>Mouse su un punto già messo
  Trascinare (tasto sinistro): sposta il punto e ricalcola ciò che ne dipende; Esc lo rimette dov&apos;era
  Clic senza trascinare: un nuovo punto, come altrove

</source>
        <translation>Mouse on a point already placed
  Drag (left button): moves the point and computes again what depends on it; Esc puts it back
  Click without dragging: a new point, as anywhere else

</translation>
    </message>
    <message>
        <source> — %1 cm</source>
        <translation> — %1 cm</translation>
    </message>
    <message>
        <source>Maiusc+Frecce: spostano di un pixel dello schermo l&apos;ultimo punto messo o spostato</source>
        <translation>Shift+arrows: move the point last placed or moved by one screen pixel</translation>
    </message>
    <message>
        <source>tipo</source>
        <translation>kind</translation>
    </message>
    <message>
        <source>larghezza foto (px)</source>
        <translation>photo width (px)</translation>
    </message>
    <message>
        <source>altezza foto (px)</source>
        <translation>photo height (px)</translation>
    </message>
    <message>
        <source>foto modificata (UTC)</source>
        <translation>photo modified (UTC)</translation>
    </message>
    <message>
        <source>punto selezionato</source>
        <translation>selected point</translation>
    </message>
    <message>
        <source>Il file delle misure della cartella

%1

%2: non viene modificato. È stato rinominato in

%3

e ne viene iniziato uno nuovo.</source>
        <translation>The folder&apos;s measurement file

%1

%2: it is left unchanged. It has been renamed to

%3

and a new one is started.</translation>
    </message>
    <message>
        <source>Il file delle misure della cartella

%1

%2: non viene modificato, e non si è potuto rinominare. Le misure di questa cartella non vengono registrate finché il file resta lì.</source>
        <translation>The folder&apos;s measurement file

%1

%2: it is left unchanged, and it could not be renamed. The measurements of this folder are not recorded while the file stays there.</translation>
    </message>
    <message>
        <source>è danneggiato e non si può leggere</source>
        <translation>is damaged and cannot be read</translation>
    </message>
    <message>
        <source>non è un file delle misure di Vardesca</source>
        <translation>is not a Vardesca measurement file</translation>
    </message>
    <message>
        <source>è stato scritto da una versione più recente di Vardesca</source>
        <translation>was written by a newer version of Vardesca</translation>
    </message>
    <message>
        <source>Impossibile aggiornare il file delle misure

%1

%2. Le misure restano nel riquadro dei risultati e nella tabella (Ctrl+T).</source>
        <translation>Cannot update the measurement file

%1

%2. The measurements remain in the results box and in the table (Ctrl+T).</translation>
    </message>
    <message>
        <source>Impossibile leggere il file delle misure

%1

%2.</source>
        <translation>Cannot read the measurement file

%1

%2.</translation>
    </message>
    <message>
        <source> — misure registrate in %1</source>
        <translation> — measurements recorded in %1</translation>
    </message>
    <message>
        <source>Foto cambiata</source>
        <translation>Photo changed</translation>
    </message>
    <message>
        <source>La foto

%1

non è più com&apos;era quando è stata misurata (le dimensioni o la data di modifica sono diverse): se è stata ritagliata o ruotata, i punti registrati non corrispondono più. Mostrare comunque le misure registrate?

Se la foto viene misurata di nuovo, le misure registrate per questa foto vengono sostituite.</source>
        <translation>The photo

%1

is no longer as it was when it was measured (its size or modification date differ): if it was cropped or rotated, the recorded points no longer match. Show the recorded measurements anyway?

If the photo is measured again, the measurements recorded for it are replaced.</translation>
    </message>
    <message>
        <source>Le misure registrate per la foto

%1

nel file

%2

non sono coerenti fra loro e non si possono mostrare: restano nel file come sono finché la foto non viene misurata di nuovo.</source>
        <translation>The measurements recorded for the photo

%1

in the file

%2

contradict one another and cannot be shown: they stay in the file as they are until the photo is measured again.</translation>
    </message>
    <message>
        <source>

Le misure di ogni foto restano nel file misure-vardesca.csv della sua cartella: riaprendo la foto, anche un altro giorno, tornano la calibrazione e i punti, e si continua dal numero successivo.</source>
        <translation>

Each photo&apos;s measurements stay in the file misure-vardesca.csv in its folder: when the photo is opened again, even another day, its calibration and points come back, and measuring goes on from the next number.</translation>
    </message>
</context>
</TS>
