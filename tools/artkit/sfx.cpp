// The ten sound effects in data/sfx/, 22050 Hz 16-bit mono (the rate the
// game opens the audio device at, so nothing is resampled).
#include "audio.h"
#include "kit.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using Voice = std::function<double(double t)>;

std::vector<float> Render(double seconds, const Voice& v)
{
    std::vector<float> out(static_cast<size_t>(seconds * kAudioRate));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(v(static_cast<double>(i) / kAudioRate));
    // A few milliseconds of fade at the end so nothing clicks.
    size_t fade = std::min<size_t>(out.size(), kAudioRate / 200);
    for (size_t i = 0; i < fade; ++i)
        out[out.size() - 1 - i] *= static_cast<float>(static_cast<double>(i) / fade);
    return out;
}

// A sine with a swept frequency; keeps its own phase.
struct Sweep {
    double phase = 0;
    double Next(double freq)
    {
        phase += freq / kAudioRate;
        phase -= std::floor(phase);
        return std::sin(kTwoPi * phase);
    }
};

struct Bell {
    double freq, start, decay;
    double operator()(double t) const
    {
        double u = t - start;
        if (u < 0)
            return 0;
        double env = std::min(1.0, u / 0.003) * std::exp(-u / decay);
        return env *
               (std::sin(kTwoPi * freq * u) + 0.35 * std::sin(kTwoPi * freq * 2.76 * u) * std::exp(-u / (decay * 0.4)) +
                0.15 * std::sin(kTwoPi * freq * 5.4 * u) * std::exp(-u / (decay * 0.2)));
    }
};

std::vector<float> MenuChoice()
{
    return Render(0.09, [](double t) {
        double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.025);
        return env * (std::sin(kTwoPi * 1320 * t) + 0.25 * std::sin(kTwoPi * 2640 * t));
    });
}

std::vector<float> MenuClick()
{
    auto osc = std::make_shared<Sweep>();
    auto lp = std::make_shared<OnePole>();
    return Render(0.16, [=](double t) {
        double f = t < 0.05 ? 880 : 1320;
        double local = t < 0.05 ? t : t - 0.05;
        double env = std::min(1.0, local / 0.003) * std::exp(-local / (t < 0.05 ? 0.03 : 0.045));
        double s = osc->Next(f);
        double sq = s > 0 ? 1.0 : -1.0;
        return env * lp->LowPass(0.6 * s + 0.4 * sq, 3000);
    });
}

std::vector<float> Back()
{
    auto osc = std::make_shared<Sweep>();
    return Render(0.18, [=](double t) {
        double f = 990 * std::pow(2.0 / 3.0, SmoothStep(0.02, 0.1, t));
        double env = std::min(1.0, t / 0.004) * std::exp(-t / 0.06);
        double p = osc->Next(f);
        return env * (0.8 * p + 0.2 * std::sin(2 * std::asin(std::clamp(p, -1.0, 1.0))));
    });
}

std::vector<float> Error1()
{
    // A dull double bonk.
    auto osc = std::make_shared<Sweep>();
    auto lp = std::make_shared<OnePole>();
    return Render(0.26, [=](double t) {
        double local = t < 0.11 ? t : t - 0.11;
        double f = (t < 0.11 ? 190 : 150) * (1 - 0.2 * std::min(1.0, local / 0.08));
        double env = std::min(1.0, local / 0.003) * std::exp(-local / 0.05);
        double s = osc->Next(f);
        double buzz = s > 0 ? 1.0 : -1.0;
        return env * lp->LowPass(0.5 * s + 0.5 * buzz, 900);
    });
}

std::vector<float> Error2()
{
    // "Uh-oh": two falling notes with a wobble, for a block that is lost.
    auto osc = std::make_shared<Sweep>();
    auto lp = std::make_shared<OnePole>();
    return Render(0.55, [=](double t) {
        bool second = t >= 0.17;
        double local = second ? t - 0.17 : t;
        double base = second ? NoteFrequency(60) : NoteFrequency(64);
        double f =
            base * (1 + 0.012 * std::sin(kTwoPi * 6 * local)) * (second ? 1 - 0.06 * std::min(1.0, local / 0.35) : 1);
        double env = std::min(1.0, local / 0.01) * std::exp(-local / (second ? 0.16 : 0.07));
        double ph = osc->Next(f);
        double saw = std::fmod(osc->phase * 2 + 1, 2.0) - 1.0;
        return env * lp->LowPass(0.55 * ph + 0.45 * saw, 1400);
    });
}

std::vector<float> Explosion()
{
    auto rng = std::make_shared<Rng>(601);
    auto lp = std::make_shared<OnePole>();
    auto lp2 = std::make_shared<OnePole>();
    auto thump = std::make_shared<Sweep>();
    return Render(1.4, [=](double t) {
        double noise = rng->Range(-1, 1);
        double cutoff = 200 + 5000 * std::exp(-t / 0.18);
        double body = lp2->LowPass(lp->LowPass(noise, cutoff), cutoff * 1.5);
        double env = std::min(1.0, t / 0.004) * std::exp(-t / 0.38);
        double boom = thump->Next(40 + 80 * std::exp(-t / 0.05)) * std::exp(-t / 0.25);
        double crackle = (rng->Unit() < 0.004 * std::exp(-t / 0.5)) ? rng->Range(-0.8, 0.8) : 0.0;
        return 1.3 * env * body + 0.9 * boom + crackle;
    });
}

std::vector<float> SelectBomb()
{
    // A rising bell arpeggio.
    const Bell notes[] = {{1046.5, 0.0, 0.18}, {1318.5, 0.06, 0.18}, {1568.0, 0.12, 0.2}, {2093.0, 0.18, 0.3}};
    return Render(0.62, [&](double t) {
        double s = 0;
        for (const Bell& b : notes)
            s += b(t);
        return s;
    });
}

std::vector<float> Transform()
{
    // A rising shimmering sweep with sparkles on top.
    auto carrier = std::make_shared<Sweep>();
    auto mod = std::make_shared<Sweep>();
    std::vector<Bell> sparks;
    Rng r(603);
    for (int i = 0; i < 14; ++i)
        sparks.push_back({r.Range(1800, 3600), r.Range(0.05, 0.65), 0.06});
    return Render(0.85, [=](double t) {
        double f = 300 * std::pow(5.0, SmoothStep(0.0, 0.65, t));
        double m = mod->Next(f * 2.0) * 1.5 * std::exp(-t / 0.5);
        carrier->phase += m * 0.002;
        double s = carrier->Next(f);
        double env = std::min(1.0, t / 0.03) * (t < 0.6 ? 1.0 : std::exp(-(t - 0.6) / 0.08));
        double sp = 0;
        for (const Bell& b : sparks)
            sp += b(t);
        return 0.6 * env * s + 0.22 * sp;
    });
}

std::vector<float> Message()
{
    const Bell notes[] = {{784.0, 0.0, 0.14}, {1046.5, 0.11, 0.22}};
    return Render(0.5, [&](double t) { return notes[0](t) + notes[1](t); });
}

std::vector<float> Push()
{
    // A soft thud with a short scrape of the block on the floor.
    auto rng = std::make_shared<Rng>(604);
    auto hp = std::make_shared<OnePole>();
    auto lp = std::make_shared<OnePole>();
    auto thud = std::make_shared<Sweep>();
    return Render(0.2, [=](double t) {
        double body = thud->Next(70 + 60 * std::exp(-t / 0.03)) * std::exp(-t / 0.05) * std::min(1.0, t / 0.004);
        double n = lp->LowPass(hp->HighPass(rng->Range(-1, 1), 400), 1600);
        double scrape = n * std::min(1.0, t / 0.02) * std::exp(-t / 0.06);
        return 0.9 * body + 0.9 * scrape;
    });
}

}  // namespace

void GenerateSounds(const std::string& data)
{
    const std::string dir = data + "/sfx/";
    MakeKitDir(dir);
    struct Effect {
        const char* file;
        std::vector<float> (*make)();
    };
    const Effect effects[] = {{"menuchoix.wav", MenuChoice},
                              {"menuclic.wav", MenuClick},
                              {"back.wav", Back},
                              {"error1.wav", Error1},
                              {"error2.wav", Error2},
                              {"explo.wav", Explosion},
                              {"selbomb.wav", SelectBomb},
                              {"transfor.wav", Transform},
                              {"message.wav", Message},
                              {"push.wav", Push}};
    for (const Effect& e : effects) {
        std::vector<float> s = e.make();
        Normalize(s, 0.85);
        WriteKitBytes(dir + e.file, EncodeWav(s, kAudioRate));
    }
}
