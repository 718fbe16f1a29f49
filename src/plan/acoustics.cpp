#include "plan/acoustics.h"

#include "plan/level_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace pa::plan {

namespace {

// Sabine's constant 24·ln 10 / c for c = 343 m/s, as the formulas are usually written.
constexpr double kSabine = 0.161; // s/m
// Critical distance √(Q·R / 16π), written as the handbooks do.
constexpr double kCriticalDistance = 0.141;
// Peutz: beyond this many critical distances the loss no longer grows with the distance.
constexpr double kPeutzLimit = 3.16;
constexpr std::size_t kPeutzBand = 4; // 2 kHz

double fromDecibels(double level) {
    return std::pow(10.0, level / 10);
}
double toDecibels(double energy) {
    return 10 * std::log10(energy);
}

std::string hz(std::size_t band) {
    return std::to_string(kBandHz[band]) + " Гц";
}

// The first absorption coefficient outside 0...1, as a sentence.
std::string alphaError(const Bands& alpha, std::string_view surface, std::string_view sep) {
    for (std::size_t k = 0; k < kBands; ++k)
        if (!(alpha[k] >= 0 && alpha[k] <= 1))
            return "Коэффициент поглощения " + std::string(surface) + " в октаве " + hz(k) + " (" +
                   fixedText(alpha[k], 2, sep) + ") должен быть от 0 до 1.";
    return {};
}

// Gauss–Legendre nodes and weights on [-1, 1], by Newton's method on the Legendre polynomial.
template <std::size_t N> struct Gauss {
    std::array<double, N> x{};
    std::array<double, N> w{};
    Gauss() {
        for (std::size_t i = 0; i < N; ++i) {
            double z = std::cos(std::numbers::pi * (static_cast<double>(i) + 0.75) /
                                (static_cast<double>(N) + 0.5));
            double derivative = 0;
            for (int step = 0; step < 100; ++step) {
                double p0 = 1;
                double p1 = z;
                for (std::size_t n = 2; n <= N; ++n) {
                    const double p2 = ((2 * static_cast<double>(n) - 1) * z * p1 -
                                       (static_cast<double>(n) - 1) * p0) /
                                      static_cast<double>(n);
                    p0 = p1;
                    p1 = p2;
                }
                derivative = static_cast<double>(N) * (z * p1 - p0) / (z * z - 1);
                const double next = z - p1 / derivative;
                const bool done = std::abs(next - z) < 1e-15;
                z = next;
                if (done)
                    break;
            }
            x[i] = z;
            w[i] = 2 / ((1 - z * z) * derivative * derivative);
        }
    }
};

} // namespace

double weightedSum(const Bands& levels) {
    double sum = 0;
    for (std::size_t k = 0; k < kBands; ++k)
        sum += fromDecibels(levels[k] + kAWeighting[k]);
    return toDecibels(sum);
}

RoomAcoustics roomAcoustics(const PlanInputs& in, const RoomInput& room,
                            std::string_view decimalSeparator) {
    const std::string_view sep = decimalSeparator;
    RoomAcoustics r;
    const auto fail = [](std::string message) {
        RoomAcoustics failed;
        failed.error = std::move(message);
        return failed;
    };
    if (!(in.length > 0 && in.width > 0 && std::isfinite(in.length * in.width) &&
          std::isfinite(in.mountHeight)))
        return fail("Размеры помещения не заданы: сначала нужен расчёт.");
    if (!room.height && in.type != SpeakerType::Ceiling)
        return fail("Укажите высоту помещения: у настенных и рупорных громкоговорителей она не "
                    "следует из высоты подвеса.");
    const double height = room.height.value_or(in.mountHeight);
    if (!(height >= in.mountHeight))
        return fail("Высота помещения (" + fixedText(height, 2, sep) +
                    " м) должна быть не меньше высоты подвеса громкоговорителей (" +
                    fixedText(in.mountHeight, 2, sep) + " м).");
    if (!(height <= kMaxRoomHeight))
        return fail("Высота помещения (" + fixedText(height, 2, sep) +
                    " м) должна быть не больше " + fixedText(kMaxRoomHeight, 0, sep) + " м.");
    r.height = height;
    r.volume = in.length * in.width * height;
    if (!(r.volume <= kMaxRoomVolume))
        return fail("Объём помещения (" + fixedText(r.volume, 0, sep) + " м³) больше " +
                    fixedText(kMaxRoomVolume, 0, sep) +
                    " м³: такой зал не считается одним диффузным полем.");
    r.floorArea = in.length * in.width;
    r.wallArea = 2 * (in.length + in.width) * height;
    r.surface = 2 * r.floorArea + r.wallArea;
    const Bands m = airAttenuation();
    for (std::size_t k = 0; k < kBands; ++k)
        r.airAbsorption[k] = 4 * m[k] * r.volume;

    if (room.measured) {
        r.measured = true;
        for (std::size_t k = 0; k < kBands; ++k) {
            const double t = (*room.measured)[k];
            if (!(t >= kMinReverberation && t <= kMaxReverberation))
                return fail("Время реверберации в октаве " + hz(k) + " (" + fixedText(t, 2, sep) +
                            " с) должно быть от " + fixedText(kMinReverberation, 1, sep) + " до " +
                            fixedText(kMaxReverberation, 0, sep) + " с.");
            // Eyring's formula read backwards gives the mean absorption the time implies. A
            // measured decay already holds the air's share, and in a large room at 8 kHz the air
            // alone may account for all of it, so the air stays folded into the surfaces here.
            r.meanAlpha[k] = -std::expm1(-kSabine * r.volume / (t * r.surface));
            r.absorption[k] = r.meanAlpha[k] * r.surface;
            r.sabine[k] = t;
            r.eyring[k] = t;
            r.reverberation[k] = t;
        }
    } else {
        for (const auto& [alpha, name] :
             {std::pair{&room.floor, "пола"}, std::pair{&room.ceiling, "потолка"},
              std::pair{&room.walls, "стен"}})
            if (std::string e = alphaError(*alpha, name, sep); !e.empty())
                return fail(std::move(e));
        if (room.people < 0)
            return fail("Число слушателей не может быть отрицательным.");
        for (std::size_t k = 0; k < kBands; ++k) {
            r.absorption[k] = r.floorArea * (room.floor[k] + room.ceiling[k]) +
                              r.wallArea * room.walls[k] + room.people * kPersonAbsorption[k];
            r.meanAlpha[k] = r.absorption[k] / r.surface;
            if (!(r.meanAlpha[k] < 1))
                return fail("Средний коэффициент поглощения в октаве " + hz(k) + " (" +
                            fixedText(r.meanAlpha[k], 2, sep) +
                            ") достигает 1: помещение поглощает всё, реверберации нет, формула "
                            "Эйринга теряет смысл.");
            r.sabine[k] = kSabine * r.volume / (r.absorption[k] + r.airAbsorption[k]);
            r.eyring[k] = kSabine * r.volume /
                          (-r.surface * std::log1p(-r.meanAlpha[k]) + r.airAbsorption[k]);
            r.reverberation[k] = r.eyring[k];
        }
    }
    for (std::size_t k = 0; k < kBands; ++k)
        r.roomConstant[k] = r.surface * r.meanAlpha[k] / (1 - r.meanAlpha[k]);
    if (std::any_of(r.roomConstant.begin(), r.roomConstant.end(),
                    [](double v) { return !(v > 0); }))
        return fail(
            "Помещение совсем не поглощает звук: задайте отделку хотя бы одной поверхности.");
    return r;
}

double directivityFactor(double halfAngle) {
    if (!(halfAngle > 0) || !std::isfinite(halfAngle))
        return 0;
    // The model falls as the square of the angle down to its floor, and is flat from there on:
    // the smooth part by Gauss–Legendre over theta, the flat part exactly.
    const double floorAngle = halfAngle * std::sqrt(kDirectivityFloor / kEdgeDrop);
    const double end = std::min(floorAngle, std::numbers::pi);
    static_assert(kEdgeDrop < 0 && kDirectivityFloor < 0);
    const Gauss<20> gauss;
    constexpr int kPanels = 16;
    const double panel = end / kPanels;
    double sum = 0; // of gain · sin theta d theta
    for (int p = 0; p < kPanels; ++p) {
        const double mid = (p + 0.5) * panel;
        for (std::size_t i = 0; i < gauss.x.size(); ++i) {
            const double theta = mid + gauss.x[i] * panel / 2;
            sum += gauss.w[i] * panel / 2 * fromDecibels(directivity(theta, halfAngle)) *
                   std::sin(theta);
        }
    }
    if (floorAngle < std::numbers::pi)
        sum += fromDecibels(kDirectivityFloor) * (1 + std::cos(floorAngle));
    // dΩ = 2π sin theta d theta, and Q = 4π / ∮ gain dΩ.
    return 2 / sum;
}

SoundField soundField(const PlanInputs& in, std::size_t speakers, const RoomAcoustics& room) {
    SoundField f;
    if (!room.ok()) {
        f.error = room.error;
        return f;
    }
    f.q = directivityFactor(in.dirCoef / 2);
    if (!(f.q > 0) || !std::isfinite(in.totalSpl) || speakers == 0) {
        SoundField failed;
        failed.error = "Нет громкоговорителей или их данных: сначала нужен расчёт.";
        return failed;
    }
    const auto n = static_cast<double>(speakers);
    const double fourPi = 4 * std::numbers::pi;
    f.speakers = speakers;
    f.onAxisAt1m = in.totalSpl;
    // Free field: on the axis L(r) = L_W + 10 lg(Q / 4πr²).
    f.powerLevel = in.totalSpl - toDecibels(f.q / fourPi);
    f.totalPowerLevel = f.powerLevel + toDecibels(n);
    const double speechOffset = weightedSum(kMaleSpeech);
    Bands reverberantA{};
    for (std::size_t k = 0; k < kBands; ++k) {
        f.speechAt1m[k] = in.totalSpl + kMaleSpeech[k] - speechOffset;
        // L_rev = L_W,total + 10 lg(4/R), against L_1m = L_W + 10 lg(Q/4π).
        f.reverberantEnergy[k] = n * fourPi / f.q * 4 / room.roomConstant[k];
        f.reverberantLevel[k] = f.speechAt1m[k] + toDecibels(f.reverberantEnergy[k]);
        reverberantA[k] = f.reverberantLevel[k];
        f.criticalDistance[k] = kCriticalDistance * std::sqrt(f.q * room.roomConstant[k]);
    }
    f.reverberantLevelA = weightedSum(reverberantA);
    f.reverberation = room.reverberation;
    f.volume = room.volume;
    return f;
}

std::vector<float> totalLevelMap(const SoundField& field, const std::vector<float>& directLevels) {
    if (!field.ok() || directLevels.empty())
        return {};
    // Relative to the reverberant level, so that the energies stay near 1 in float.
    const auto reverberant = static_cast<float>(field.reverberantLevelA);
    std::vector<float> out(directLevels.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = reverberant +
                 10 * std::log10(1 + std::pow(10.0F, (directLevels[i] - reverberant) / 10));
    return out;
}

double alcons(const SoundField& field, double directLevel) {
    if (!field.ok())
        return 0;
    const double t = field.reverberation[kPeutzBand];
    const double rc = field.criticalDistance[kPeutzBand];
    const double direct = fromDecibels(directLevel - field.onAxisAt1m);
    const double r = rc * std::sqrt(field.reverberantEnergy[kPeutzBand] / direct);
    if (!(r <= kPeutzLimit * rc))
        return 9 * t;
    return 200 * r * r * t * t / (field.volume * field.q);
}

} // namespace pa::plan
