#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

/// The exact bits of a 3D position, for merging corners that sit at the same
/// place while reading a mesh. `Bits` is the unsigned type as wide as the
/// coordinates (uint32_t for float, uint64_t for double).
template <typename Bits> struct PositionKey {
    Bits bits[3];
    bool operator==(const PositionKey&) const = default;

    /// Adding 0 turns -0.0 into 0.0 so the two zeros merge.
    template <typename Real> static PositionKey of(Real x, Real y, Real z) {
        return {{std::bit_cast<Bits>(Real(x + Real(0))), std::bit_cast<Bits>(Real(y + Real(0))),
                 std::bit_cast<Bits>(Real(z + Real(0)))}};
    }
};

template <typename Bits> struct PositionKeyHash {
    std::size_t operator()(const PositionKey<Bits>& k) const {
        std::uint64_t h = k.bits[0];
        h = h * 0x9E3779B97F4A7C15ull ^ k.bits[1];
        h = h * 0x9E3779B97F4A7C15ull ^ k.bits[2];
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};
