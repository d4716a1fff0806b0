#pragma once
// Deterministic gradient and cellular noise for the texture painters. Lattice
// values come from an integer hash of the cell and a seed, never from global
// state, so results are identical on every run. The 2-D functions can wrap with
// an integer period: sampling x in [0, period) then gives a seamlessly tiling
// pattern, which repeating textures (grass, stone, water noise) rely on.

#include <cstdint>

namespace assetgen {

// Result of a cellular (Worley) lookup: distances to the nearest and second
// nearest feature point and a hash identifying the nearest point's cell.
struct CellSample {
    float f1 = 0.0f;
    float f2 = 0.0f;
    uint32_t id = 0;
    // Position of the nearest feature point relative to the sample (lattice units).
    float dx = 0.0f, dy = 0.0f;
};

class Noise {
public:
    explicit Noise(uint32_t seed) : seed_(seed) {}

    // Integer hash of a lattice point.
    uint32_t hash(int x, int y, int z = 0) const;
    // Hash mapped to [0, 1).
    float hashUnit(int x, int y, int z = 0) const;

    // 2-D gradient noise in about [-1, 1]; period > 0 wraps the lattice.
    float gradient2(float x, float y, int period = 0) const;
    // Fractal sum of gradient2 over octaves (frequency doubles, amplitude
    // halves), normalised to about [-1, 1]. The period doubles with the frequency.
    float fbm2(float x, float y, int octaves, int period = 0) const;
    // Sum of |gradient2| octaves: billowy turbulence in about [0, 1].
    float turbulence2(float x, float y, int octaves, int period = 0) const;

    // 3-D gradient noise in about [-1, 1] (no wrapping).
    float gradient3(float x, float y, float z) const;
    float fbm3(float x, float y, float z, int octaves) const;

    // Cellular noise with one jittered feature point per lattice cell;
    // jitter 0 gives a regular grid, 1 full randomness.
    CellSample cells2(float x, float y, int period = 0, float jitter = 1.0f) const;

private:
    // The octave sum behind fbm2 and turbulence2, normalised by the amplitudes;
    // absolute sums |gradient2| instead of gradient2.
    float octaves2(float x, float y, int octaves, int period, bool absolute) const;
    uint32_t seed_;
};

} // namespace assetgen
