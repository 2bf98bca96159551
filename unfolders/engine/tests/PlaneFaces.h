#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "scene/mesh/Poly.h"
#include "scene/mesh/Vertex.h"

namespace testmeshes {

/// Free-standing faces in the (x, z) plane, owning their vertices.
class Faces {
public:
    Poly* add(std::vector<std::pair<double, double>> xz) {
        std::vector<Vertex*> ring;
        for (auto [x, z] : xz) {
            vertices.push_back(std::make_unique<Vertex>(Sorvex::M3d(x, 0, z)));
            ring.push_back(vertices.back().get());
        }
        polys.push_back(std::make_unique<Poly>(ring));
        return polys.back().get();
    }
    Poly* square(double x, double z, double size) {
        return add({{x, z}, {x + size, z}, {x + size, z + size}, {x, z + size}});
    }

private:
    std::vector<std::unique_ptr<Vertex>> vertices;
    std::vector<std::unique_ptr<Poly>> polys;
};

} // namespace testmeshes
