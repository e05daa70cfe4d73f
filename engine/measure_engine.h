#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "result_line.h"

namespace vardesca {

// Colours are 0x00BBGGRR.
inline constexpr std::uint32_t kCalibrationColour = 255;  // red
inline constexpr std::uint32_t kMeasureColour = 65280;    // green

// The image surface the engine draws its marks on. Coordinates and radius are
// twips in the surface's own coordinates.
class MarkSurface {
  public:
    virtual ~MarkSurface() = default;
    virtual void DrawCircle(float cx, float cy, float radius, std::uint32_t colour) = 0;
    virtual void DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) = 0;
};

// The two modal boxes the engine uses.
class EngineDialogs {
  public:
    virtual ~EngineDialogs() = default;
    // A box with one OK button; returns when it is closed.
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
    // An input box with an empty default answer; the empty text when cancelled.
    virtual std::string AskText(const std::string& title, const std::string& prompt) = 0;
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

    // Back to Idle with no click counted and no result numbered.
    void Reset();

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

  private:
    void DrawPointMarks(float x, float y, std::uint32_t colour);
    void DrawPairMarks(float x, float y, std::uint32_t colour);
    [[nodiscard]] double PairDistance(std::int32_t dx, std::int32_t dy) const;
    // Asks for the reference length until it gets a usable one and returns the
    // new k, or nothing when the user gives up on the pair.
    [[nodiscard]] std::optional<float> AskScale(const char* title, float ds, bool secondPair);
    void Measure(std::int32_t dx, std::int32_t dy);

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
    double lastPairScale_ = 0.0;  // the scale of the pair AskScale last accepted, on its own
};

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
inline constexpr const char* kLimitReached =
    "È stato raggiunto il limite di 32767 misure: questa misura non è stata registrata. "
    "Copiare i dati, poi premere \"Resetta misurazioni\" per iniziare una nuova serie.";
}  // namespace engine_text

}  // namespace vardesca
