// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "result_line.h"

namespace vardesca {

// Colours are 0x00BBGGRR.
inline constexpr std::uint32_t kCalibrationColour = 255;  // red
inline constexpr std::uint32_t kMeasureColour = 65280;    // green

// The engine's own texts, shared with the tests.
namespace engine_text {
inline constexpr const char* kCalibrationTitle1 = "Calibrazione (1 di 3)";
inline constexpr const char* kCalibrationTitle2 = "Calibrazione (2 di 3)";
inline constexpr const char* kCalibrationTitle3 = "Calibrazione (3 di 3)";
inline constexpr const char* kInstructions =
    "Per due volte bisognerà cliccare in successione su due punti posti ad una distanza "
    "nota. Utilizzare riferimenti non troppo piccoli per ridurre l'errore di misura. Se "
    "nell'immagine è disponibile un solo riferimento, è comunque possibile usarlo due volte. "
    "La configurazione ideale è quella con due riferimenti lunghi quanto l'immagine o quasi "
    "e posti a due estremità opposte della stessa.";
inline constexpr const char* kDistancePrompt =
    "Qual'è la distanza reale in cm fra i due punti selezionati?";
inline constexpr const char* kInvalidTitle = "Calibrazione";
inline constexpr const char* kInvalidLength =
    "Valore non valido: scrivere la distanza reale in cm, un numero maggiore di zero.";
inline constexpr const char* kSamePoint =
    "I due punti coincidono: cliccare di nuovo le due estremità del riferimento.";
inline constexpr const char* kLimitTitle = "Misurazioni";
inline constexpr const char* kUndoTitle = "Annulla";
inline constexpr const char* kUndoTextEdited =
    "La misura è stata annullata, ma la sua riga non è più l'ultima del riquadro dei "
    "risultati: il testo resta com'è.";
inline constexpr const char* kLimitReached =
    "È stato raggiunto il limite di 32767 misure: questa misura non è stata registrata. "
    "Copiare i dati, poi premere \"Resetta misurazioni\" per iniziare una nuova serie.";
inline constexpr const char* kMoveTitle = "Punto spostato";
inline constexpr const char* kLinesNotRewritten =
    "Il punto è stato spostato, ma queste righe del riquadro dei risultati non sono più come il "
    "programma le aveva scritte: il testo resta com'è. Le nuove lunghezze sono:";
}  // namespace engine_text

// The image surface the engine draws its marks on. Coordinates and radius are
// twips in the surface's own coordinates.
class MarkSurface {
  public:
    virtual ~MarkSurface() = default;
    virtual void DrawCircle(float cx, float cy, float radius, std::uint32_t colour) = 0;
    virtual void DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) = 0;
    // Takes away `count` marks, the first of them being number `first` (from 0)
    // of those drawn since the engine's last Reset(), every DrawCircle and
    // DrawLine counting one; later marks move down. Undo calls it. A surface that
    // cannot take marks away keeps them.
    virtual void EraseMarks(std::size_t first, std::size_t count) {
        static_cast<void>(first);
        static_cast<void>(count);
    }
    // Puts mark number `index` (counted as EraseMarks counts them) where
    // DrawCircle or DrawLine would draw it now, in its place among the others.
    // A moved point calls them. False when the surface cannot: the engine then
    // erases from that mark on and draws them all again.
    virtual bool ReplaceCircle(std::size_t /*index*/, float /*cx*/, float /*cy*/, float /*radius*/,
                               std::uint32_t /*colour*/) {
        return false;
    }
    virtual bool ReplaceLine(std::size_t /*index*/, float /*xa*/, float /*ya*/, float /*xb*/,
                             float /*yb*/, std::uint32_t /*colour*/) {
        return false;
    }
};

// The two modal boxes the engine uses.
class EngineDialogs {
  public:
    virtual ~EngineDialogs() = default;
    // A box with one OK button; returns when it is closed.
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
    // An input box with an empty default answer; the empty text when cancelled.
    virtual std::string AskText(const std::string& title, const std::string& prompt) = 0;
    // A moved point changed these measurements' lengths (number, the new length
    // as its line writes it), but their lines no longer stand in the results as
    // the program wrote them, so the text stays as it is. By default a box with
    // the engine's Italian text and one "3: 12,40 cm" line for each.
    virtual void ShowLinesNotRewritten(
        const std::vector<std::pair<std::int16_t, std::string>>& lines) {
        std::string text = engine_text::kLinesNotRewritten;
        for (const auto& [number, length] : lines) {
            text += "\n" + std::to_string(number) + ": " + length + " cm";
        }
        ShowMessage(engine_text::kMoveTitle, text);
    }
};

// The results box.
class ResultsText {
  public:
    virtual ~ResultsText() = default;
    [[nodiscard]] virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
};

// The two buttons whose state follows the engine's mode.
class EngineButtons {
  public:
    virtual ~EngineButtons() = default;
    virtual void SetIniziaEnabled(bool enabled) = 0;
    virtual void SetResettaEnabled(bool enabled) = 0;
};

// One measurement as its result line numbers it.
struct MeasuredPair {
    std::int16_t number;
    float xa, ya, xb, yb;  // the two clicks, image twips, as clicked
    double length;         // cm, before the line rounds it
};

// A point placed on the photo: an end of a reference pair or of a
// measurement, or the first point of a pair still waiting for its second.
struct PointId {
    enum class Pair : std::int8_t { Reference, Measurement, Pending };
    Pair pair = Pair::Pending;
    std::int16_t number = 0;  // a reference: 0 or 1; a measurement: its number
    std::int8_t end = 0;      // 0: the pair's first click; 1: its second
    bool operator==(const PointId&) const = default;
};

// Where a point stands, image twips.
struct PlacedPoint {
    PointId id;
    float x, y;
};

// What a point would give if it were let go at the place previewed: its
// pair's segment (a waiting point's both ends are the point) and, for a
// measurement, its length; the scales the references would then give.
struct MovePreview {
    PointId id;
    float xa, ya, xb, yb;
    double length;  // cm; 0 for a reference or a waiting point
    std::array<double, 2> referenceScales;
    float k;
};

// A photo's calibration and measurements as kept between sessions: where each
// pair's two points stand (image twips, as clicked) and, for a reference, the
// length typed for it. Everything else (the scale, every length, the marks) is
// worked out from these again, with the arithmetic the clicks had.
struct KeptPair {
    PointId::Pair pair = PointId::Pair::Measurement;  // Reference or Measurement
    std::int16_t number = 0;  // a reference: 0 or 1; a measurement: its number
    float xa = 0, ya = 0, xb = 0, yb = 0;
    // cm: a reference's typed length; a measurement's length before its line
    // rounds it, which Kept gives and Restore works out again without reading.
    double length = 0;
    bool operator==(const KeptPair&) const = default;
};
struct KeptMeasuring {
    // The references (the first, or both, in order), then the measurements
    // by rising number.
    std::vector<KeptPair> pairs;
    std::optional<PointId> selected;
    bool operator==(const KeptMeasuring&) const = default;
};

// What the engine did, told as it happens, so that what follows the
// measuring (labels beside the marks, a table of the measurements, a check of
// the references) need not work it out from the counters. Every call has a
// default that does nothing: an observer overrides what it needs, and later
// versions may add calls without breaking it. The engine's state (k, x0 … y1,
// n) is already the new one when a call comes.
class MeasureObserver {
  public:
    virtual ~MeasureObserver() = default;
    // Reference pair `which` (0 or 1) was given its length; after the second
    // the scale is set and measuring begins. Its segment is x0, y0 – x1, y1.
    virtual void ReferenceCompleted(int which) { static_cast<void>(which); }
    // A pair was measured and its line appended; its segment is x0, y0 – x1, y1.
    virtual void MeasurementAdded(const MeasuredPair& measurement) {
        static_cast<void>(measurement);
    }
    // Undo took the measurement back (its line too, unless the text moved on).
    virtual void MeasurementTakenBack(const MeasuredPair& measurement) {
        static_cast<void>(measurement);
    }
    // Redo measured it again, with the same number.
    virtual void MeasurementRedone(const MeasuredPair& measurement) {
        static_cast<void>(measurement);
    }
    // Reset: no calibration, nothing measured.
    virtual void CalibrationReset() {}
    // A point was moved (or put back by undo, or moved again by redo) to x, y.
    // For a reference, the scales have changed and the measurements follow.
    virtual void PointMoved(const PlacedPoint& point) { static_cast<void>(point); }
    // A measurement's segment or length changed with a move: its line was
    // rewritten when the results still held it as written.
    virtual void MeasurementChanged(const MeasuredPair& before, const MeasuredPair& after) {
        static_cast<void>(before);
        static_cast<void>(after);
    }
    // Restore put a kept calibration and its measurements back on the photo;
    // ReferenceCompleted and MeasurementAdded are not told for them.
    virtual void MeasuringRestored() {}
};

// Turns clicks on the image into a scale, then into numbered lengths. Two
// reference segments of known length give the scale k (image twips per cm, the
// mean of the two); after that every pair of clicks appends one result line.
//
// The engine owns none of its collaborators; they must outlive it.
class MeasureEngine {
  public:
    static constexpr std::int16_t Idle = 0;
    static constexpr std::int16_t Calibrating = 1;
    static constexpr std::int16_t Measuring = 2;

    static constexpr std::int16_t kMaxResults = 32767;

    MeasureEngine(MarkSurface& surface, EngineDialogs& dialogs, ResultsText& results,
                  EngineButtons& buttons, const LocaleNumbers& locale);

    // "Inizia misurazioni": the instructions, then calibration. Pressed again
    // halfway through, it only shows the instructions again.
    void StartCalibration();

    // A mouse button pressed over the image, at (x, y) twips. Every button counts.
    // Throws ArithmeticOverflow, before changing anything, for a position or a
    // distance that does not fit 32 bits.
    void HandleClick(float x, float y);

    // Who is told what the engine did; none by default. Not owned.
    void SetObserver(MeasureObserver* observer) { observer_ = observer; }

    // Back to Idle with no click counted and no result numbered.
    // Nothing is left to undo or redo.
    void Reset();

    // Takes back the last step while calibrating or measuring: a pending first
    // point (marks erased, count back); while measuring, the last measurement of
    // this calibration (marks erased, n back by one, its line taken off the
    // results if they still end with it, otherwise a message says the text
    // stays); a move (the point put back, with every number that followed it).
    // Never past the calibration. True when something went.
    bool Undo();
    // Does again what Undo took back, until the next new click. True when it did.
    bool Redo();
    [[nodiscard]] bool CanUndo() const;
    [[nodiscard]] bool CanRedo() const { return !redo_.empty(); }
    // Whether a first point waits for its pair (what Escape gives up).
    [[nodiscard]] bool HasPendingPoint() const;

    // Moving a placed point. A point can go anywhere on the picture (see
    // SetPictureSize) but not onto the other end of its pair. A measurement's
    // length is computed again, a reference's scale and with it every
    // measurement of the calibration; each changed line is rewritten where the
    // results still hold it as written (its number, TAB, its length, on a line
    // of its own), and the lines that could not be are shown in one box. One
    // undo step, or, with `joinLastMove`, part of the last step when that moved
    // the same point (a run of nudges). True when the point moved.
    // Throws ArithmeticOverflow, before changing anything, as HandleClick does.
    bool MovePoint(const PointId& point, float x, float y, bool joinLastMove = false);
    // The placed point nearest to x, y within `radius` twips (the newest on a
    // tie), while calibrating or measuring.
    [[nodiscard]] std::optional<PlacedPoint> PointNear(float x, float y, float radius) const;
    [[nodiscard]] std::optional<PlacedPoint> PointAt(const PointId& point) const;
    // The point last placed or moved while it is still on the photo; nothing
    // after a reset, or once the step that placed it is taken back.
    [[nodiscard]] std::optional<PointId> LastPoint() const { return lastPoint_; }
    // Shows the point's marks at x, y without moving it (a drag under way) and
    // says what it would give there; nothing, and the marks left as they were,
    // where MovePoint would refuse it. EndPreview puts the marks back.
    std::optional<MovePreview> PreviewMove(const PointId& point, float x, float y);
    void EndPreview();
    // Gives up the first point waiting for its pair, even when moves were made
    // since (which stay). True when there was one.
    bool GiveUpPendingPoint();
    // The picture's size in twips, which moved points stay inside; zero for
    // none known (nothing is then kept inside).
    void SetPictureSize(float widthTwips, float heightTwips) {
        pictureWidth_ = widthTwips;
        pictureHeight_ = heightTwips;
    }

    // What stands on the photo now, as Restore takes it: the references
    // completed and the measurements of their calibration (nothing while Idle).
    [[nodiscard]] KeptMeasuring Kept() const;
    // Puts a kept calibration and its measurements back on a photo, from Idle:
    // the marks drawn as the clicks drew them, the scale worked out as the
    // calibration does, and measuring going on at the next number (or, with
    // the first reference only, calibration at its second). The results text
    // is not touched, and there is nothing to undo. False, with nothing
    // changed, for what clicks could not have given: a pair whose points
    // coincide, a length that gives no scale, measurements without both
    // references or not numbered 1 to 32767 rising, a point that does not fit.
    bool Restore(const KeptMeasuring& kept);

    [[nodiscard]] std::int16_t azione() const { return azione_; }
    [[nodiscard]] std::int16_t punti() const { return punti_; }
    [[nodiscard]] std::int32_t x0() const { return x0_; }
    [[nodiscard]] std::int32_t x1() const { return x1_; }
    [[nodiscard]] std::int32_t y0() const { return y0_; }
    [[nodiscard]] std::int32_t y1() const { return y1_; }
    [[nodiscard]] float k() const { return k_; }
    [[nodiscard]] std::int16_t n() const { return n_; }

    // The scale each reference gave on its own (image twips per cm) in the last
    // calibration that completed, k being their mean: how far they disagree tells
    // the user how much to trust the lengths. Zero before any calibration.
    [[nodiscard]] std::array<double, 2> ReferenceScales() const { return referenceScales_; }
    // The real lengths (cm) typed for the two references of the calibration in
    // progress or last completed; zero for a pair not yet given.
    [[nodiscard]] std::array<float, 2> ReferenceLengths() const { return referenceLengths_; }
    // The newest measurement of the calibration in use that is still done: undo
    // takes it away and redo brings it back. Nothing when there is none.
    [[nodiscard]] std::optional<MeasuredPair> LastMeasurement() const;

  private:
    // What undo needs of a click: where it was, the marks it started at, and the
    // state it changed.
    struct Click {
        float x, y;
        std::size_t firstMark;
        std::int16_t puntiBefore;
        std::int32_t x0Before, y0Before;
    };
    // Lines before a measurement's own that read the same, which tells its line
    // from a copy; this when its line was not written on a line of its own.
    static constexpr std::size_t kNotOwnLine = static_cast<std::size_t>(-1);
    struct Measurement {
        Click first;
        float xb, yb;
        std::int32_t x1Before, y1Before;
        std::string line;
        std::int16_t number = 0;
        double length = 0.0;
        std::size_t sameBefore = kNotOwnLine;
    };
    // A completed reference pair, kept so that its points can be moved.
    struct Reference {
        float xa, ya, xb, yb;
        std::size_t firstMark;
        float length;  // cm, as typed
    };
    // One undoable step, newest last: a first point placed, a measurement, a
    // move (a run of nudges being one).
    struct Step {
        enum class Kind : std::uint8_t { Point, Pair, Move } kind;
        PointId point{};
        float fromX = 0, fromY = 0, toX = 0, toY = 0;
    };
    // A step to do again: one click, the two of a measurement, or a move.
    struct RedoStep {
        float xa, ya;
        std::optional<std::pair<float, float>> second;
        std::optional<Step> move;
    };
    // One mark as drawn, so that the marks after a moved pair can be drawn again
    // in their order.
    struct Mark {
        bool circle;
        float a, b, c, d;  // circle: cx, cy, radius; line: xa, ya, xb, yb
        std::uint32_t colour;
    };
    // A pair's segment and where its marks begin.
    struct PairPlace {
        float xa, ya, xb, yb;
        std::size_t firstMark;
        std::uint32_t colour;
        bool complete;
    };
    static constexpr std::size_t kPointMarks = 3;  // circle and two arms
    static constexpr std::size_t kPairMarks = 4;   // the line, then the point's

    [[nodiscard]] static std::array<Mark, 3> PointMarkSet(float x, float y, std::uint32_t colour);
    void DrawPointMarks(float x, float y, std::uint32_t colour);
    void DrawPairMarks(float x, float y, std::uint32_t colour);
    void Draw(const Mark& mark);
    // The marks from `first` on taken away and drawn again as marks_ holds them.
    void RedrawFrom(std::size_t first);
    // The pair's marks shown where marks_ now has them: put in place where the
    // surface can, else drawn again with every mark after them.
    void ShowPairMarks(const PairPlace& place);
    // marks_ given the pair's new place, from its first mark.
    void PlacePairMarks(const PairPlace& place);
    [[nodiscard]] double PairDistance(std::int32_t dx, std::int32_t dy) const;
    // Asks for the reference length until it gets a usable one and returns the
    // new k, or nothing when the user gives up on the pair.
    [[nodiscard]] std::optional<float> AskScale(const char* title, float ds, bool secondPair);
    void Measure(std::int32_t dx, std::int32_t dy);
    // The second click of a reference pair: its length asked for and the scale set.
    void CompleteReference(std::int32_t dx, std::int32_t dy, bool firstPair,
                           const std::optional<Click>& first, float x, float y);

    // Moving points.
    [[nodiscard]] std::optional<PairPlace> PlaceOf(const PointId& point) const;
    // The point's pair with the point at x, y, or nothing when that is refused.
    [[nodiscard]] std::optional<PairPlace> MovedPlace(const PointId& point, float& x,
                                                      float& y) const;
    // The references' scales and k with reference `which` standing at `place`.
    struct Scales {
        std::array<double, 2> references;
        double first;
        float k;
    };
    [[nodiscard]] std::optional<Scales> ScalesWith(int which, const PairPlace& place) const;
    // Sets the point at x, y (its pair then standing at `place`) with every
    // number that follows; no undo step.
    void ApplyMove(const PointId& point, float x, float y, const PairPlace& place);
    // The line of `m`'s length written over its old one in `text` when that
    // still stands as written; false when it changed and could not be.
    bool RewriteLine(Measurement& m, std::string& text) const;
    void DropPendingSteps();
    // The first point waiting for its pair taken away, marks, count and steps;
    // the click it was.
    Click TakeBackPendingPoint();
    // Marks taken off the surface and off marks_ alike.
    void EraseMarks(std::size_t first, std::size_t count);
    // How many whole lines of `text` (which ends a line) read `line`, which is
    // then counted as appended to it. The lines are counted once for a text and
    // then kept up as lines are appended, so that numbering the thousandth
    // measurement does not count the whole box again.
    [[nodiscard]] std::size_t LinesReadingBeforeAppend(const std::string& text,
                                                       const std::string& line);
    Measurement* MeasurementNumbered(std::int16_t number);

    MarkSurface& surface_;
    EngineDialogs& dialogs_;
    ResultsText& results_;
    EngineButtons& buttons_;
    const LocaleNumbers& locale_;

    std::int16_t azione_ = Idle;
    std::int16_t punti_ = 0;
    std::int32_t x0_ = 0;
    std::int32_t x1_ = 0;
    std::int32_t y0_ = 0;
    std::int32_t y1_ = 0;
    float k_ = 0.0f;
    std::int16_t n_ = 0;
    std::array<double, 2> referenceScales_{};
    double firstPairScale_ = 0.0;
    double lastPairScale_ = 0.0;   // the scale of the pair AskScale last accepted, on its own
    float lastPairLength_ = 0.0f;  // and the length typed for it
    std::array<float, 2> referenceLengths_{};

    std::vector<Mark> marks_;               // as drawn since the last Reset
    std::optional<Click> pending_;          // the first point waiting for its pair
    std::vector<Measurement> done_;         // this calibration's measurements
    std::optional<Measurement> measuring_;  // the pair Measure is numbering
    std::array<std::optional<Reference>, 2> references_;
    std::vector<Step> history_;  // what undo takes back, newest last
    std::vector<RedoStep> redo_;
    std::optional<PointId> lastPoint_;
    std::optional<PointId> previewing_;  // whose marks show a place it does not hold
    float pictureWidth_ = 0.0f;
    float pictureHeight_ = 0.0f;
    bool replaying_ = false;
    MeasureObserver* observer_ = nullptr;
    // The text LinesReadingBeforeAppend last counted, and its lines.
    std::string countedText_;
    std::unordered_map<std::string, std::size_t> countedLines_;
};

}  // namespace vardesca
