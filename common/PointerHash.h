#pragma once

#include <cstdint>

/// Mixes an object's address into a hash whose bits all depend on all of the address's.
/// Objects of one size allocated in a row lie a fixed stride apart; a single
/// multiplication maps many such strides (96, 144, 224 bytes...) onto a few runs of
/// neighbouring values, where a linear-probing table then walks twenty slots a lookup.
/// This mix (the finaliser of SplitMix64) spreads every stride like random keys.
inline std::uint64_t MixPointerHash(std::uint64_t address) {
    address = (address ^ (address >> 30)) * 0xBF58476D1CE4E5B9ull;
    address = (address ^ (address >> 27)) * 0x94D049BB133111EBull;
    return address ^ (address >> 31);
}
