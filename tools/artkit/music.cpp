// The five music tracks in data/sfx/ ("musicmenu.zik", "musicjeu1.zik" …
// "musicjeu4.zik"): loops of more than a minute with melody, bass, chords
// and drums from a small synthesizer, written as Ogg Vorbis (which the
// game's mixer reads; the ".zik" name is the game's own).
//
// Each loop is seamless: notes and echoes that ring past the end are
// folded back onto the start, so the track plays on when it restarts.
#include "audio.h"
#include "kit.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

enum class Lead { Bell, Pluck, Square, Flute };
enum class Drums { Soft, Groove, Four, Lazy };
enum class Bass { Roots, Eighths, Synco };

struct TrackPlan {
    const char* file;
    double bpm;
    int root;                       // MIDI note of the key's tonic (octave 3)
    std::array<int, 7> scale;       // semitones of the scale degrees
    std::vector<int> progressionA;  // scale degree of the chord of each bar
    std::vector<int> progressionB;
    int bars;
    Lead lead;
    Drums drums;
    Bass bass;
    bool arp;
    bool sevenths;
    double swing;  // delay of the off-beat eighths, as a fraction of an eighth
    uint64_t seed;
};

const std::array<int, 7> kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::array<int, 7> kMinor = {0, 2, 3, 5, 7, 8, 10};
const std::array<int, 7> kDorian = {0, 2, 3, 5, 7, 9, 10};

enum class Part { Lead, Harmony, Pad, Bass, Arp, Kick, Snare, Hat, OpenHat, Shaker };

struct Note {
    double start;   // seconds
    double length;  // seconds
    double midi;
    double velocity;
    Part part;
};

class Composer {
public:
    explicit Composer(const TrackPlan& s) : s_(s), rng_(s.seed) {}

    double Beat() const { return 60.0 / s_.bpm; }
    double BarLength() const { return 4 * Beat(); }
    double Length() const { return s_.bars * BarLength(); }

    int DegreeToMidi(int degree, int octave) const
    {
        int o = degree >= 0 ? degree / 7 : (degree - 6) / 7;
        int d = degree - o * 7;
        return s_.root + 12 * (octave + o) + s_.scale[static_cast<size_t>(d)];
    }

    std::vector<Note> Compose()
    {
        // Sections of eight bars: A (intro, then the theme), A again with
        // more going on, B (the other progression and a second theme), A.
        std::vector<int> motifA = Phrase(), motifA2 = Phrase();
        std::vector<int> motifB = Phrase(), motifB2 = Phrase();
        const int sections = s_.bars / 8;
        for (int sec = 0; sec < sections; ++sec) {
            bool b = sections >= 3 && sec == sections - 2;
            const std::vector<int>& prog = b ? s_.progressionB : s_.progressionA;
            for (int bar = 0; bar < 8; ++bar) {
                int absBar = sec * 8 + bar;
                int chord = prog[static_cast<size_t>(bar % prog.size())];
                double t0 = absBar * BarLength();
                Chords(t0, chord);
                BassLine(t0, chord, bar);
                if (s_.arp && (sec > 0))
                    Arpeggio(t0, chord);
                DrumBar(t0, bar == 7, sec == 0 && bar < 4);
            }
            // Melody: silent for the first half of the intro.
            const std::vector<int>& m1 = b ? motifB : motifA;
            const std::vector<int>& m2 = b ? motifB2 : motifA2;
            bool harmony = sec == sections - 1 && sections > 2;
            for (int half = 0; half < 2; ++half) {
                if (sec == 0 && half == 0)
                    continue;
                double t0 = (sec * 8 + half * 4) * BarLength();
                Melody(t0, half == 0 ? m1 : m2, prog, harmony, half == 1);
            }
        }
        return notes_;
    }

private:
    // A four-bar phrase as rhythm codes: each entry is a length in eighths
    // (negative for a rest). Pitches are chosen when it is laid on chords.
    std::vector<int> Phrase()
    {
        static const std::vector<std::vector<int>> rhythms = {{2, 2, 2, 2},  {1, 1, 2, 2, 2}, {3, 1, 2, 2},
                                                              {2, 1, 1, 4},  {2, 2, 1, 1, 2}, {1, 1, 1, 1, 2, 2},
                                                              {-2, 2, 2, 2}, {3, 3, 2},       {2, -1, 1, 2, 2}};
        static const std::vector<std::vector<int>> endings = {{4, 4}, {2, 2, 4}, {3, 5}, {6, -2}};
        std::vector<int> p;
        int first = rng_.Below(static_cast<int>(rhythms.size()));
        int second = rng_.Below(static_cast<int>(rhythms.size()));
        // Bars 1 and 3 share their rhythm, so the phrase is heard as one.
        for (int v : rhythms[static_cast<size_t>(first)])
            p.push_back(v);
        for (int v : rhythms[static_cast<size_t>(second)])
            p.push_back(v);
        for (int v : rhythms[static_cast<size_t>(first)])
            p.push_back(v);
        for (int v : endings[static_cast<size_t>(rng_.Below(static_cast<int>(endings.size())))])
            p.push_back(v);
        p.push_back(static_cast<int>(rng_.Next() & 0xFFFF) + 1000);  // seed for the pitches
        return p;
    }

    void Add(double start, double length, double midi, double velocity, Part part)
    {
        notes_.push_back({start, length, midi, velocity, part});
    }

    double Swung(double barStart, int eighth) const
    {
        double e = Beat() / 2;
        return barStart + eighth * e + ((eighth % 2) ? s_.swing * e : 0.0);
    }

    std::vector<int> ChordDegrees(int chord) const
    {
        std::vector<int> d = {chord, chord + 2, chord + 4};
        if (s_.sevenths)
            d.push_back(chord + 6);
        return d;
    }

    void Chords(double t0, int chord)
    {
        for (int d : ChordDegrees(chord))
            Add(t0, BarLength() * 0.98, DegreeToMidi(d, 1), 0.5, Part::Pad);
    }

    void BassLine(double t0, int chord, int bar)
    {
        // An octave below the key's tonic, folded into one octave.
        int root = DegreeToMidi(chord, -1);
        if (root > s_.root - 5)
            root -= 12;
        int fifth = root + 7;
        double e = Beat() / 2;
        switch (s_.bass) {
        case Bass::Roots:
            Add(t0, 3 * e, root, 0.9, Part::Bass);
            Add(t0 + 3 * e, e, root, 0.6, Part::Bass);
            Add(t0 + 4 * e, 3 * e, fifth, 0.8, Part::Bass);
            Add(t0 + 7 * e, e, bar % 2 ? root + 12 : fifth, 0.6, Part::Bass);
            break;
        case Bass::Eighths:
            for (int i = 0; i < 8; ++i)
                Add(Swung(t0, i), e * 0.8, (i == 3 || i == 7) ? root + 12 : root, i % 2 ? 0.6 : 0.85, Part::Bass);
            break;
        case Bass::Synco:
            Add(Swung(t0, 0), e * 1.4, root, 0.9, Part::Bass);
            Add(Swung(t0, 3), e * 0.9, root, 0.7, Part::Bass);
            Add(Swung(t0, 4), e * 1.4, fifth, 0.8, Part::Bass);
            Add(Swung(t0, 6), e * 0.8, root + 12, 0.6, Part::Bass);
            Add(Swung(t0, 7), e * 0.8, fifth, 0.6, Part::Bass);
            break;
        }
    }

    void Arpeggio(double t0, int chord)
    {
        std::vector<int> d = ChordDegrees(chord);
        const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
        double e = Beat() / 2;
        for (int i = 0; i < 8; ++i) {
            int k = order[i] % static_cast<int>(d.size() + 1);
            int midi =
                k < static_cast<int>(d.size()) ? DegreeToMidi(d[static_cast<size_t>(k)], 1) : DegreeToMidi(d[0], 2);
            Add(Swung(t0, i), e * 0.9, midi, i % 2 ? 0.45 : 0.6, Part::Arp);
        }
    }

    void DrumBar(double t0, bool fill, bool intro)
    {
        double e = Beat() / 2, s16 = Beat() / 4;
        auto hit = [&](Part p, double t, double v) { Add(t, 0.05, 0, v, p); };
        switch (s_.drums) {
        case Drums::Soft:
            hit(Part::Kick, t0, 0.8);
            hit(Part::Kick, Swung(t0, 4), 0.7);
            if (!intro) {
                hit(Part::Snare, Swung(t0, 2), 0.4);
                hit(Part::Snare, Swung(t0, 6), 0.45);
            }
            for (int i = 0; i < 8; ++i)
                hit(Part::Shaker, Swung(t0, i), i % 2 ? 0.35 : 0.5);
            break;
        case Drums::Groove:
            hit(Part::Kick, t0, 0.9);
            hit(Part::Kick, Swung(t0, 3), 0.6);
            hit(Part::Kick, Swung(t0, 4), 0.8);
            if (!intro) {
                hit(Part::Snare, Swung(t0, 2), 0.7);
                hit(Part::Snare, Swung(t0, 6), 0.75);
            }
            for (int i = 0; i < 16; ++i)
                hit(Part::Hat, t0 + i * s16, i % 4 == 2 ? 0.55 : (i % 2 ? 0.25 : 0.4));
            break;
        case Drums::Four:
            for (int i = 0; i < 4; ++i)
                hit(Part::Kick, t0 + i * Beat(), 0.9);
            if (!intro) {
                hit(Part::Snare, t0 + Beat(), 0.65);
                hit(Part::Snare, t0 + 3 * Beat(), 0.7);
                for (int i = 0; i < 4; ++i)
                    hit(Part::OpenHat, t0 + i * Beat() + e, 0.4);
            }
            for (int i = 0; i < 16; ++i)
                if (i % 4 != 2)
                    hit(Part::Hat, t0 + i * s16, i % 2 ? 0.22 : 0.32);
            break;
        case Drums::Lazy:
            hit(Part::Kick, t0, 0.8);
            hit(Part::Kick, Swung(t0, 5), 0.6);
            if (!intro)
                hit(Part::Snare, Swung(t0, 4), 0.6);
            for (int i = 0; i < 8; ++i)
                hit(Part::Hat, Swung(t0, i), i % 2 ? 0.25 : 0.4);
            break;
        }
        if (fill && !intro) {
            for (int i = 12; i < 16; ++i)
                hit(Part::Snare, t0 + i * s16, 0.3 + 0.1 * (i - 12));
        }
    }

    // Lays a phrase on the chords of four bars starting at t0.
    void Melody(double t0, const std::vector<int>& phrase, const std::vector<int>& prog, bool harmony, bool resolve)
    {
        Rng pick(static_cast<uint64_t>(phrase.back()) * 7919u + s_.seed);
        int degree = 7 + pick.Below(3);  // from the tonic of the melody's octave
        double e = Beat() / 2;
        int pos = 0;  // in eighths from t0
        size_t count = phrase.size() - 1;
        for (size_t i = 0; i < count; ++i) {
            int len = phrase[i];
            bool rest = len < 0;
            len = std::abs(len);
            int bar = pos / 8;
            int chord = prog[static_cast<size_t>(bar % prog.size())];
            bool strong = pos % 4 == 0;
            bool last = i + 1 == count;
            if (!rest) {
                if (last && resolve) {
                    degree = NearestOf(degree, {chord, chord + 7, chord + 14});
                } else if (strong || len >= 3) {
                    std::vector<int> tones;
                    for (int d : ChordDegrees(chord))
                        for (int o : {0, 7, 14})
                            tones.push_back(d + o);
                    int step = pick.Below(5) - 2;
                    degree = NearestOf(degree + step, tones);
                } else {
                    int r = pick.Below(10);
                    int step = r < 4 ? 1 : (r < 8 ? -1 : (r < 9 ? 2 : -2));
                    degree += step;
                }
                degree = std::clamp(degree, 3, 13);
                double start = Swung(t0, pos);
                double length = len * e * 0.92;
                double vel = strong ? 0.85 : 0.7;
                // Degrees 3 to 13 above the tonic an octave up: about the
                // fifth octave, over the chords of the fourth.
                Add(start, length, DegreeToMidi(degree, 1), vel, Part::Lead);
                if (harmony)
                    Add(start, length, DegreeToMidi(degree - 2, 1), vel * 0.5, Part::Harmony);
            }
            pos += len;
        }
    }

    static int NearestOf(int d, const std::vector<int>& options)
    {
        int best = options.front();
        for (int o : options)
            if (std::abs(o - d) < std::abs(best - d))
                best = o;
        return best;
    }

    TrackPlan s_;
    Rng rng_;
    std::vector<Note> notes_;
};

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(size_t n) : left(n, 0.0f), right(n, 0.0f) {}
};

// Constant-power pan, -1 left .. 1 right.
struct Pan {
    float l, r;
    explicit Pan(double pan)
            : l(static_cast<float>(std::cos((pan + 1) * 0.25 * 3.141592653589793))),
              r(static_cast<float>(std::sin((pan + 1) * 0.25 * 3.141592653589793)))
    {}
};

class Synth {
public:
    Synth(const TrackPlan& s, uint64_t seed) : s_(s), noise_(seed) {}

    void Play(const Note& n, Stereo& out, Stereo& send)
    {
        const double release = Release(n.part);
        size_t first = static_cast<size_t>(n.start * kAudioRate);
        size_t count = static_cast<size_t>((n.length + release) * kAudioRate);
        double f = NoteFrequency(n.midi);
        double dt = f / kAudioRate;
        double phase[3] = {0, 0.33, 0.66}, mphase = 0;
        Svf svf;
        OnePole lp1, lp2, hp;
        const Pan pan(PanOf(n));
        SetFilters(n.part, lp1, lp2, hp);
        const double sendLevel = SendOf(n.part);
        for (size_t k = 0; k < count && first + k < out.left.size(); ++k) {
            double t = static_cast<double>(k) / kAudioRate;
            double v = 0;
            switch (n.part) {
            case Part::Lead:
            case Part::Harmony: {
                double env = 1;
                double vib = 1 + (t > 0.18 ? 0.004 * std::sin(kTwoPi * 5.5 * t) : 0.0);
                double fd = dt * vib;
                switch (s_.lead) {
                case Lead::Bell: {
                    env = Envelope(t, 0.004, 0.45, 0.25, n.length, 0.35);
                    mphase += fd * 2;
                    double mod = std::sin(kTwoPi * mphase) * 1.6 * std::exp(-t / 0.35);
                    phase[0] += fd;
                    v = std::sin(kTwoPi * phase[0] + mod);
                    break;
                }
                case Lead::Pluck: {
                    env = Envelope(t, 0.003, 0.22, 0.3, n.length, 0.15);
                    phase[0] += fd;
                    phase[0] -= std::floor(phase[0]);
                    double cutoff = f * (1.5 + 5 * std::exp(-t / 0.12));
                    if (k % 8 == 0)
                        svf.Tune(cutoff);
                    v = svf.Step(SawWave(phase[0], fd), 0.9);
                    break;
                }
                case Lead::Square: {
                    env = Envelope(t, 0.008, 0.25, 0.55, n.length, 0.12);
                    phase[0] += fd;
                    phase[0] -= std::floor(phase[0]);
                    v = lp1.Low(SquareWave(phase[0], fd, 0.35)) * 0.7;
                    break;
                }
                case Lead::Flute: {
                    env = Envelope(t, 0.06, 0.5, 0.7, n.length, 0.18);
                    phase[0] += fd;
                    double breath = lp2.Low(hp.High(noise_.Range(-1, 1)));
                    v = std::sin(kTwoPi * phase[0]) + 0.18 * std::sin(2 * kTwoPi * phase[0]) +
                        0.25 * breath * std::exp(-t / 0.2);
                    break;
                }
                }
                v *= env * n.velocity * (n.part == Part::Lead ? 0.3 : 0.22);
                break;
            }
            case Part::Pad: {
                double env = Envelope(t, 0.45, 1.0, 0.85, n.length, 0.6);
                double s = 0;
                const double detune[3] = {-0.0035, 0.0, 0.004};
                for (int i = 0; i < 3; ++i) {
                    double d = dt * (1 + detune[i]);
                    phase[i] += d;
                    phase[i] -= std::floor(phase[i]);
                    s += SawWave(phase[i], d);
                }
                v = lp2.Low(lp1.Low(s / 3)) * env * n.velocity * 0.16;
                break;
            }
            case Part::Bass: {
                double env = Envelope(t, 0.006, 0.3, 0.7, n.length, 0.08);
                phase[0] += dt;
                phase[0] -= std::floor(phase[0]);
                double s = std::sin(kTwoPi * phase[0]) + 0.35 * TriangleWave(phase[0]) + 0.18 * SawWave(phase[0], dt);
                v = lp1.Low(s) * env * n.velocity * 0.42;
                break;
            }
            case Part::Arp: {
                double env = Envelope(t, 0.002, 0.12, 0.0, n.length, 0.08);
                phase[0] += dt;
                phase[0] -= std::floor(phase[0]);
                if (k % 8 == 0)
                    svf.Tune(f * (2 + 6 * std::exp(-t / 0.05)));
                v = svf.Step(SquareWave(phase[0], dt, 0.25), 1.0) * env * n.velocity * 0.14;
                break;
            }
            case Part::Kick: {
                double fk = 45 + 90 * std::exp(-t / 0.035);
                phase[0] += fk / kAudioRate;
                v = std::sin(kTwoPi * phase[0]) * std::exp(-t / 0.22) * n.velocity * 0.75;
                v += 0.2 * noise_.Range(-1, 1) * std::exp(-t / 0.004) * n.velocity;
                break;
            }
            case Part::Snare: {
                double body = std::sin(kTwoPi * 190 * t) * std::exp(-t / 0.05);
                double rattle = hp.High(noise_.Range(-1, 1)) * std::exp(-t / 0.11);
                v = (0.4 * body + 0.6 * rattle) * n.velocity * 0.5;
                break;
            }
            case Part::Hat:
            case Part::OpenHat: {
                double decay = n.part == Part::Hat ? 0.035 : 0.16;
                v = hp.High(lp1.High(noise_.Range(-1, 1))) * std::exp(-t / decay) * n.velocity * 0.35;
                break;
            }
            case Part::Shaker: {
                double env = std::min(1.0, t / 0.012) * std::exp(-t / 0.05);
                v = hp.High(noise_.Range(-1, 1)) * env * n.velocity * 0.22;
                break;
            }
            }
            for (double& p : phase)
                p -= std::floor(p);
            mphase -= std::floor(mphase);
            size_t i = first + k;
            out.left[i] += static_cast<float>(v) * pan.l;
            out.right[i] += static_cast<float>(v) * pan.r;
            if (sendLevel > 0) {
                send.left[i] += static_cast<float>(v * sendLevel) * pan.l;
                send.right[i] += static_cast<float>(v * sendLevel) * pan.r;
            }
        }
    }

private:
    // How long a note rings after its end, long enough for its envelope
    // to have died away.
    static double Release(Part p)
    {
        switch (p) {
        case Part::Pad:
            return 2.6;
        case Part::Lead:
        case Part::Harmony:
            return 1.2;
        case Part::Kick:
        case Part::OpenHat:
            return 0.8;
        case Part::Snare:
            return 0.5;
        case Part::Hat:
        case Part::Shaker:
            return 0.25;
        default:
            return 0.5;
        }
    }

    void SetFilters(Part p, OnePole& lp1, OnePole& lp2, OnePole& hp) const
    {
        switch (p) {
        case Part::Lead:
        case Part::Harmony:
            lp1.Set(2800);
            lp2.Set(4000);
            hp.Set(1500);
            break;
        case Part::Pad:
            lp1.Set(1300);
            lp2.Set(1800);
            break;
        case Part::Bass:
            lp1.Set(700);
            break;
        case Part::Snare:
            hp.Set(1800);
            break;
        case Part::Hat:
        case Part::OpenHat:
            lp1.Set(6000);
            hp.Set(8000);
            break;
        case Part::Shaker:
            hp.Set(5000);
            break;
        default:
            break;
        }
    }

    double PanOf(const Note& n) const
    {
        switch (n.part) {
        case Part::Lead:
            return 0.15;
        case Part::Harmony:
            return -0.3;
        case Part::Pad:
            return (n.midi - s_.root - 12) / 24.0 - 0.2;
        case Part::Arp:
            return -0.45;
        case Part::Snare:
            return 0.05;
        case Part::Hat:
        case Part::OpenHat:
            return 0.35;
        case Part::Shaker:
            return -0.3;
        default:
            return 0.0;
        }
    }

    static double SendOf(Part p)
    {
        switch (p) {
        case Part::Lead:
        case Part::Harmony:
            return 0.35;
        case Part::Arp:
            return 0.25;
        case Part::Snare:
            return 0.15;
        default:
            return 0.0;
        }
    }

    TrackPlan s_;
    Rng noise_;
};

// Folds what rings past the loop's end back onto its start.
void FoldTail(std::vector<float>& v, size_t loop)
{
    for (size_t i = loop; i < v.size(); ++i)
        v[i % loop] += v[i];
    v.resize(loop);
}

// Runs a time-based effect over two rounds of the loop and keeps the
// second, so the echoes at the start come from the end.
template <class Fn>
void ProcessLooped(Stereo& s, Fn effect)
{
    size_t n = s.left.size();
    Stereo twice(2 * n);
    for (size_t i = 0; i < 2 * n; ++i) {
        twice.left[i] = s.left[i % n];
        twice.right[i] = s.right[i % n];
    }
    effect(twice);
    for (size_t i = 0; i < n; ++i) {
        s.left[i] = twice.left[n + i];
        s.right[i] = twice.right[n + i];
    }
}

Stereo RenderTrack(const TrackPlan& params)
{
    Composer c(params);
    std::vector<Note> notes = c.Compose();
    size_t loop = static_cast<size_t>(c.Length() * kAudioRate);
    size_t total = loop + 4 * kAudioRate;
    Stereo mix(total), send(total);
    Synth synth(params, params.seed ^ 0xABCDEFu);
    for (const Note& n : notes)
        synth.Play(n, mix, send);
    FoldTail(mix.left, loop);
    FoldTail(mix.right, loop);
    FoldTail(send.left, loop);
    FoldTail(send.right, loop);
    // Ping-pong echo (a dotted eighth) on the lead and the arpeggio.
    size_t delay = static_cast<size_t>(c.Beat() * 0.75 * kAudioRate);
    ProcessLooped(send, [&](Stereo& s) {
        std::vector<float> l(s.left.size(), 0.0f), r(s.right.size(), 0.0f);
        for (size_t i = delay; i < s.left.size(); ++i) {
            l[i] = static_cast<float>(s.right[i - delay] * 0.7 + r[i - delay] * 0.42);
            r[i] = static_cast<float>(s.left[i - delay] * 0.7 + l[i - delay] * 0.42);
        }
        s.left = l;
        s.right = r;
    });
    for (size_t i = 0; i < loop; ++i) {
        mix.left[i] += send.left[i] * 0.5f;
        mix.right[i] += send.right[i] * 0.5f;
    }
    ProcessLooped(mix, [](Stereo& s) {
        Reverb rev;
        rev.Process(s.left, s.right, 0.55);
    });
    for (size_t i = 0; i < loop; ++i)
        if (!std::isfinite(mix.left[i]) || !std::isfinite(mix.right[i]))
            throw KitError(std::string(params.file) + ": the synthesizer went unstable");
    // Gentle limiting, then a fixed loudness.
    double peak = 0;
    for (size_t i = 0; i < loop; ++i)
        peak =
            std::max({peak, static_cast<double>(std::fabs(mix.left[i])), static_cast<double>(std::fabs(mix.right[i]))});
    double gain = peak > 0 ? 1.15 / peak : 1.0;
    for (size_t i = 0; i < loop; ++i) {
        mix.left[i] = static_cast<float>(0.9 * std::tanh(mix.left[i] * gain));
        mix.right[i] = static_cast<float>(0.9 * std::tanh(mix.right[i] * gain));
    }
    return mix;
}

std::string EncodeVorbis(const Stereo& s, const char* title, uint32_t serial)
{
    std::string out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    // Quality 0.1 keeps a minute of stereo at 22 kHz near 350 KB and still
    // sounds clean for this kind of synthesized music.
    if (vorbis_encode_init_vbr(&vi, 2, kAudioRate, 0.1f) != 0) {
        vorbis_info_clear(&vi);
        throw KitError("the Vorbis encoder refused its settings");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", title);
    vorbis_comment_add_tag(&vc, "ARTIST", "Pondrake art kit");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, static_cast<int>(serial));
    ogg_page og;
    ogg_packet op, header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    auto writePage = [&]() {
        out.append(reinterpret_cast<const char*>(og.header), static_cast<size_t>(og.header_len));
        out.append(reinterpret_cast<const char*>(og.body), static_cast<size_t>(og.body_len));
    };
    while (ogg_stream_flush(&os, &og) != 0)
        writePage();
    auto drain = [&]() {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0)
                    writePage();
            }
        }
    };
    const size_t chunk = 4096;
    for (size_t pos = 0; pos < s.left.size(); pos += chunk) {
        size_t n = std::min(chunk, s.left.size() - pos);
        float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
        std::memcpy(buf[0], s.left.data() + pos, n * sizeof(float));
        std::memcpy(buf[1], s.right.data() + pos, n * sizeof(float));
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og) != 0)
        writePage();
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<TrackPlan> Tracks()
{
    return {
        // Menus: relaxed and inviting, electric-piano bells.
        {"musicmenu.zik",
         96,
         53,
         kMajor,
         {0, 5, 3, 4},
         {1, 4, 0, 3},
         32,
         Lead::Bell,
         Drums::Soft,
         Bass::Roots,
         true,
         true,
         0.0,
         1001},
        // Thinking groove in D dorian with a plucked lead.
        {"musicjeu1.zik",
         108,
         50,
         kDorian,
         {0, 3, 0, 3},
         {5, 6, 0, 4},
         32,
         Lead::Pluck,
         Drums::Groove,
         Bass::Synco,
         false,
         true,
         0.12,
         2002},
        // Bright and bouncy, a square lead over arpeggios.
        {"musicjeu2.zik",
         116,
         55,
         kMajor,
         {0, 4, 5, 3},
         {1, 4, 0, 5},
         32,
         Lead::Square,
         Drums::Four,
         Bass::Eighths,
         true,
         false,
         0.0,
         3003},
        // Mellow and swung, a breathy flute.
        {"musicjeu3.zik",
         88,
         57,
         kMinor,
         {0, 5, 2, 6},
         {3, 0, 4, 0},
         24,
         Lead::Flute,
         Drums::Lazy,
         Bass::Roots,
         false,
         true,
         0.3,
         4004},
        // Upbeat, C minor, bells again over a steady pulse.
        {"musicjeu4.zik",
         124,
         48,
         kMinor,
         {0, 5, 2, 6},
         {3, 0, 5, 6},
         32,
         Lead::Bell,
         Drums::Four,
         Bass::Synco,
         true,
         false,
         0.0,
         5005},
    };
}

}  // namespace

int MusicTrackCount()
{
    return static_cast<int>(Tracks().size());
}

void GenerateMusic(const std::string& data, int only)
{
    const std::string dir = data + "/sfx/";
    MakeKitDir(dir);
    std::vector<TrackPlan> tracks = Tracks();
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (only >= 0 && static_cast<int>(i) != only)
            continue;
        Stereo s = RenderTrack(tracks[i]);
        WriteKitBytes(dir + tracks[i].file, EncodeVorbis(s, tracks[i].file, 0x504F4E00u + static_cast<uint32_t>(i)));
    }
}
