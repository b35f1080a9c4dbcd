#include "audio.h"

#include <algorithm>

double PolyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double SawWave(double phase, double dt)
{
    return 2.0 * phase - 1.0 - PolyBlep(phase, dt);
}

double SquareWave(double phase, double dt, double width)
{
    double v = phase < width ? 1.0 : -1.0;
    v += PolyBlep(phase, dt);
    double shifted = phase - width;
    if (shifted < 0)
        shifted += 1.0;
    v -= PolyBlep(shifted, dt);
    return v;
}

double Envelope(double t, double attack, double decay, double sustain, double hold, double release)
{
    if (t < 0)
        return 0;
    auto level = [&](double u) {
        if (u < attack)
            return u / attack;
        return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < hold)
        return level(t);
    double at = level(hold);
    return at * std::exp(-(t - hold) / release);
}

Reverb::Reverb() : combs_{1116 / 2, 1188 / 2, 1277 / 2, 1356 / 2, 1422 / 2, 1491 / 2}, allpasses_{556 / 2, 441 / 2} {}

void Reverb::Process(std::vector<float>& left, std::vector<float>& right, double wet)
{
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<float>& buf = ch ? right : left;
        const std::vector<float>& dry = buf;
        std::vector<double> out(buf.size(), 0.0);
        int spread = ch ? 23 : 0;
        for (int len : combs_) {
            int n = len + spread;
            std::vector<double> line(static_cast<size_t>(n), 0.0);
            double damp = 0;
            size_t pos = 0;
            for (size_t i = 0; i < buf.size(); ++i) {
                double y = line[pos];
                damp = y * 0.6 + damp * 0.4;
                line[pos] = dry[i] * 0.3 + damp * 0.82;
                out[i] += y;
                pos = (pos + 1) % static_cast<size_t>(n);
            }
        }
        for (int len : allpasses_) {
            int n = len + spread;
            std::vector<double> line(static_cast<size_t>(n), 0.0);
            size_t pos = 0;
            for (size_t i = 0; i < out.size(); ++i) {
                double b = line[pos];
                line[pos] = out[i] + b * 0.5;
                out[i] = b - out[i];
                pos = (pos + 1) % static_cast<size_t>(n);
            }
        }
        for (size_t i = 0; i < buf.size(); ++i)
            buf[i] = static_cast<float>(buf[i] + wet * out[i] * 0.25);
    }
}

std::string EncodeWav(const std::vector<float>& samples, int rate)
{
    std::string out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    };
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    out += "RIFF";
    u32(36 + dataBytes);
    out += "WAVE";
    out += "fmt ";
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate * 2));
    u16(2);
    u16(16);
    out += "data";
    u32(dataBytes);
    for (float s : samples) {
        double v = std::clamp(static_cast<double>(s), -1.0, 1.0);
        int16_t q = static_cast<int16_t>(std::lround(v * 32767.0));
        u16(static_cast<uint16_t>(q));
    }
    return out;
}

void Normalize(std::vector<float>& samples, double peak)
{
    double m = 0;
    for (float s : samples)
        m = std::max(m, static_cast<double>(std::fabs(s)));
    if (m <= 1e-9)
        return;
    double g = peak / m;
    for (float& s : samples)
        s = static_cast<float>(s * g);
}
