#include "scene/loaders/StlCheck.h"

#include <cstdint>
#include <string>

namespace {

constexpr uint64_t kHeaderBytes = 84; // 80-byte header and the 4-byte triangle count
constexpr uint64_t kTriangleBytes = 50;

} // namespace

bool CheckStlFile(std::string_view bytes, MeshParseError& error) {
    error.line = 0;
    if (bytes.size() < kHeaderBytes) {
        if (bytes.substr(0, 5) == "solid")
            return true;
        error.message = "binary STL: file is " + std::to_string(bytes.size()) +
                        " bytes, shorter than the 84-byte header";
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 80;
    const uint64_t count = uint64_t(p[0]) | uint64_t(p[1]) << 8 | uint64_t(p[2]) << 16 |
                           uint64_t(p[3]) << 24;
    const uint64_t expected = kHeaderBytes + count * kTriangleBytes;
    if (expected == bytes.size())
        return true;
    // ASCII files also start with "solid"; binary ones may too, but then fit the layout.
    if (bytes.substr(0, 5) == "solid")
        return true;
    error.message = "binary STL: the header counts " + std::to_string(count) + " triangles (" +
                    std::to_string(expected) + " bytes), the file has " +
                    std::to_string(bytes.size()) + " bytes";
    return false;
}
