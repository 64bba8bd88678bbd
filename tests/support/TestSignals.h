#pragma once
// Deterministic test signals, the same on every machine and in every build.

#include <cstdint>
#include <vector>

// One step of the tests' random numbers (a linear congruential generator).
inline uint32_t nextRandom(uint32_t& state)
{
    return state = state * 1664525u + 1013904223u;
}

// Noise in [-1, 1) with 24 bits of resolution; two seeds give two different
// noises, so that any slip of a frame or a channel shows.
inline std::vector<float> noise(int frames, uint32_t seed)
{
    std::vector<float> values(static_cast<size_t>(frames));
    for (float& v : values)
        v = static_cast<float>(static_cast<int>(nextRandom(seed) >> 8) - (1 << 23)) / (1 << 23);
    return values;
}

// Interleaved 16-bit stereo frames of noise. The values stay within +-15000,
// where the program's float round trip gives them back exactly, and the two
// samples of a frame have an even sum, so that their mono mix, half the sum,
// is exact too.
inline std::vector<int16_t> stereoNoise(int frames, uint32_t seed)
{
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (int16_t& s : samples)
        s = static_cast<int16_t>(static_cast<int>(nextRandom(seed) >> 16) % 30000 - 15000);
    for (size_t i = 0; i < samples.size(); i += 2)
        if ((samples[i] + samples[i + 1]) & 1)
            samples[i + 1] ^= 1;
    return samples;
}
