#include "plan/sti.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pa::plan {

namespace {

// IEC 60268-16 ed. 4, male speech: the octaves' weights and the redundancy of neighbours.
constexpr Bands kAlpha{0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
constexpr std::array<double, kBands - 1> kBeta{0.085, 0.078, 0.065, 0.011, 0.047, 0.095};
// The absolute speech reception threshold per octave, dB.
constexpr Bands kThreshold{46, 27, 12, 6.5, 7.5, 8, 12};
// A reverberant decay of 60 dB in T seconds is exp(-13.8 t / T) in intensity.
constexpr double kDecay = 13.8;
// The effective signal-to-noise ratio counts within ±15 dB.
constexpr double kSnrRange = 15;

// The table stiMap reads from: this fine, but never longer than this.
constexpr double kTableStep = 0.05; // dB
constexpr std::size_t kMaxTable = 2048;

double fromDecibels(double level) {
    return std::pow(10.0, level / 10);
}

// The upward spread of masking from an octave of this level onto the next, as an intensity
// factor: level-dependent, IEC 60268-16 ed. 4.
double maskingFactor(double level) {
    double slope = -10; // from 100 dB up
    if (level < 63)
        slope = 0.5 * level - 65;
    else if (level < 67)
        slope = 1.8 * level - 146.9;
    else if (level < 100)
        slope = 0.5 * level - 59.8;
    return fromDecibels(slope);
}

} // namespace

Bands pinkNoise(double levelA) {
    Bands flat{};
    const double offset = levelA - weightedSum(flat);
    flat.fill(offset);
    return flat;
}

std::string noiseError(const Bands& noise, std::string_view decimalSeparator) {
    for (std::size_t k = 0; k < kBands; ++k)
        if (!(noise[k] >= kMinNoiseLevel && noise[k] <= kMaxNoiseLevel))
            return "Уровень шума в октаве " + std::to_string(kBandHz[k]) + " Гц (" +
                   fixedText(noise[k], 1, decimalSeparator) + " дБ) должен быть от " +
                   fixedText(kMinNoiseLevel, 0, decimalSeparator) + " до " +
                   fixedText(kMaxNoiseLevel, 0, decimalSeparator) + " дБ.";
    return {};
}

Speech speechOf(const SoundField& field, const Bands& noise, std::string_view decimalSeparator) {
    const std::string_view sep = decimalSeparator;
    Speech s;
    if (!field.ok()) {
        s.error = field.error;
        return s;
    }
    if (std::string error = noiseError(noise, sep); !error.empty()) {
        Speech failed;
        failed.error = std::move(error);
        return failed;
    }
    s.onAxisAt1m = field.onAxisAt1m;
    for (std::size_t k = 0; k < kBands; ++k) {
        s.speechAt1m[k] = fromDecibels(field.speechAt1m[k]);
        s.reverberant[k] = s.speechAt1m[k] * field.reverberantEnergy[k];
        s.noise[k] = fromDecibels(noise[k]);
        s.threshold[k] = fromDecibels(kThreshold[k]);
        for (std::size_t f = 0; f < kModulations; ++f) {
            const double x =
                2 * std::numbers::pi * kModulationHz[f] * field.reverberation[k] / kDecay;
            s.transferRe[k][f] = 1 / (1 + x * x);
            s.transferIm[k][f] = -x / (1 + x * x);
        }
    }
    return s;
}

double stiAt(const Speech& s, double directEnergy) {
    if (!s.ok())
        return 0;
    Bands total{}; // signal and noise, what masks the next octave
    Bands signal{};
    for (std::size_t k = 0; k < kBands; ++k) {
        signal[k] = s.speechAt1m[k] * directEnergy + s.reverberant[k];
        total[k] = signal[k] + s.noise[k];
    }
    Bands mti{};
    for (std::size_t k = 0; k < kBands; ++k) {
        if (!(signal[k] > 0))
            continue;
        const double masking =
            k == 0 ? 0 : total[k - 1] * maskingFactor(10 * std::log10(total[k - 1]));
        // S / (S + N) for the noise, I / (I + masking + threshold) for the ear.
        const double reduction = signal[k] / (total[k] + masking + s.threshold[k]);
        const double direct = s.speechAt1m[k] * directEnergy / signal[k];
        const double reverberant = 1 - direct;
        double sum = 0;
        for (std::size_t f = 0; f < kModulations; ++f) {
            const double re = direct + reverberant * s.transferRe[k][f];
            const double im = reverberant * s.transferIm[k][f];
            const double m = std::sqrt(re * re + im * im) * reduction;
            const double snr = m > 0
                                   ? std::clamp(10 * std::log10(m / (1 - m)), -kSnrRange, kSnrRange)
                                   : -kSnrRange;
            sum += (snr + kSnrRange) / (2 * kSnrRange);
        }
        mti[k] = sum / kModulations;
    }
    double sti = 0;
    for (std::size_t k = 0; k < kBands; ++k)
        sti += kAlpha[k] * mti[k];
    for (std::size_t k = 0; k + 1 < kBands; ++k)
        sti -= kBeta[k] * std::sqrt(mti[k] * mti[k + 1]);
    return std::clamp(sti, 0.0, 1.0);
}

double stiAtLevel(const Speech& speech, double directLevel) {
    return stiAt(speech, fromDecibels(directLevel - speech.onAxisAt1m));
}

std::vector<float> stiMap(const Speech& speech, const std::vector<float>& directLevels) {
    if (!speech.ok() || directLevels.empty() ||
        !std::all_of(directLevels.begin(), directLevels.end(),
                     [](float v) { return std::isfinite(v); }))
        return {};
    const auto [lowest, highest] = std::minmax_element(directLevels.begin(), directLevels.end());
    const double low = *lowest;
    const double range = static_cast<double>(*highest) - low;
    const std::size_t size = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::ceil(range / kTableStep)) + 1, 2, kMaxTable);
    const double step = range > 0 ? range / static_cast<double>(size - 1) : 1;
    std::vector<float> table(size + 1);
    for (std::size_t i = 0; i < size; ++i)
        table[i] = static_cast<float>(stiAtLevel(speech, low + step * static_cast<double>(i)));
    table[size] = table[size - 1]; // the highest level reads one past the last step
    const auto lowF = static_cast<float>(low);
    const auto perStep = static_cast<float>(1 / step);
    const auto last = static_cast<float>(size - 1);
    std::vector<float> out(directLevels.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = std::min((directLevels[i] - lowF) * perStep, last);
        const auto index = static_cast<std::size_t>(t);
        const float fraction = t - static_cast<float>(index);
        out[i] = table[index] + fraction * (table[index + 1] - table[index]);
    }
    return out;
}

std::string_view stiBand(double sti) {
    for (const StiBand& band : kStiBands)
        if (sti >= band.from)
            return band.name;
    return kStiBands.back().name;
}

double cis(double sti) {
    // An index of nothing would be minus infinity on this scale; the lowest index of the U band
    // anyone measures is far above this floor, so it only keeps the mean finite.
    constexpr double kLowest = 0.01;
    return 1 + std::log10(std::max(sti, kLowest));
}

StiFigures stiFigures(const Grid& grid, const std::vector<float>& sti,
                      const std::vector<float>& directLevels, const SoundField& field) {
    StiFigures f;
    const auto columns = static_cast<std::size_t>(grid.columns);
    const std::size_t points = columns * static_cast<std::size_t>(std::max(grid.rows, 0));
    if (points == 0 || sti.size() != points || directLevels.size() != points)
        return f;
    f.mapped = true;
    double total = 0;
    double sum = 0;
    double good = 0;
    double fair = 0;
    double cisSum = 0;
    double cisSquares = 0;
    std::size_t minIndex = 0;
    for (int row = 0; row < grid.rows; ++row) {
        const double rowWeight = row == 0 || row == grid.rows - 1 ? 0.5 : 1.0;
        for (int column = 0; column < grid.columns; ++column) {
            const std::size_t i =
                static_cast<std::size_t>(row) * columns + static_cast<std::size_t>(column);
            // Each point stands for its share of the floor: edges half, corners a quarter.
            const double weight =
                rowWeight * (column == 0 || column == grid.columns - 1 ? 0.5 : 1.0);
            const double value = sti[i];
            const double c = cis(value);
            total += weight;
            sum += weight * value;
            cisSum += weight * c;
            cisSquares += weight * c * c;
            if (value >= kStiGood)
                good += weight;
            if (value >= kStiFair)
                fair += weight;
            if (sti[i] < sti[minIndex])
                minIndex = i;
        }
    }
    f.mean = sum / total;
    f.min = sti[minIndex];
    f.minAt = {grid.x(static_cast<int>(minIndex % columns)),
               grid.y(static_cast<int>(minIndex / columns))};
    f.shareGood = good / total;
    f.shareFair = fair / total;
    f.cisMean = cisSum / total;
    f.cisDeviation = std::sqrt(std::max(0.0, cisSquares / total - f.cisMean * f.cisMean));
    f.cisOk = f.cisMean - f.cisDeviation >= kCisRequired;
    f.alconsAtMin = alcons(field, directLevels[minIndex]);
    return f;
}

std::vector<FigureRow> stiRows(const StiFigures& f, std::string_view decimalSeparator) {
    const std::string_view sep = decimalSeparator;
    auto index = [&](double sti) {
        return fixedText(sti, 2, sep) + " (" + std::string(stiBand(sti)) + ")";
    };
    auto share = [&](double part) { return shareText(part, sep); };
    const std::string good = fixedText(kStiGood, 2, sep);
    const std::string fair = fixedText(kStiFair, 2, sep);
    return {
        {"Разборчивость речи (STI)", "", Verdict::None, false},
        {"STI, среднее", index(f.mean), Verdict::None, false},
        {"STI, минимум",
         index(f.min) + " в точке (" + fixedText(f.minAt.x, 2, sep) + "; " +
             fixedText(f.minAt.y, 2, sep) + ") м",
         Verdict::None, true},
        {"Доля площади с STI не ниже " + good, share(f.shareGood), Verdict::None, false},
        {"Доля площади с STI не ниже " + fair, share(f.shareFair), Verdict::None, false},
        {"CIS, среднее и стандартное отклонение",
         fixedText(f.cisMean, 2, sep) + " и " + fixedText(f.cisDeviation, 2, sep), Verdict::None,
         false},
        {"Разборчивость: средний CIS минус стандартное отклонение не менее " +
             fixedText(kCisRequired, 2, sep),
         fixedText(f.cisMean - f.cisDeviation, 2, sep), f.cisOk ? Verdict::Met : Verdict::NotMet,
         false},
        {"%ALcons в худшей точке", fixedText(f.alconsAtMin, 1, sep) + " %", Verdict::None, false},
    };
}

} // namespace pa::plan
