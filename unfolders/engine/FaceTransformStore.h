#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sorvex/M4x4.h"

class Poly;

/// The transform that carried each placed source face into the net, looked up by the
/// face. A map from face to transform, kept flat: the transforms lie in one array in
/// the order they were first stored, and an open-addressing table of (face, place)
/// pairs finds them. A net of a million faces thus costs two allocations instead of a
/// million, and freeing it is as cheap.
///
/// Entries are never removed one by one (a face that is laid again gets its new
/// transform in place); `clear` forgets them all. Pointers and references into the
/// store stay valid until the next insertion of a new face or `clear`.
class FaceTransformStore {
public:
    std::size_t size() const { return m_transforms.size(); }
    bool empty() const { return m_transforms.empty(); }
    /// Makes room for `faces` entries, so that filling them neither moves nor rehashes.
    void reserve(std::size_t faces);
    void clear();

    /// The transform of `face`, or null when it has none.
    const Sorvex::M4x4* find(const Poly* face) const;
    Sorvex::M4x4* find(const Poly* face);
    bool contains(const Poly* face) const { return find(face) != nullptr; }
    /// The transform of `face`, the identity stored first when it has none.
    Sorvex::M4x4& operator[](const Poly* face);
    /// The transform of `face`; throws std::out_of_range when it has none.
    const Sorvex::M4x4& at(const Poly* face) const;
    Sorvex::M4x4& at(const Poly* face);

private:
    struct Slot {
        const Poly* face = nullptr; // null: free
        std::uint32_t place = 0;    // index into m_transforms
    };
    /// The slot holding `face`, or the free slot where it would go.
    std::size_t probe(const Poly* face) const;
    /// Spreads the table over `capacity` slots (a power of two).
    void rehash(std::size_t capacity);

    std::vector<Sorvex::M4x4> m_transforms;
    std::vector<Slot> m_slots; // empty, or a power of two at most three quarters full
};
