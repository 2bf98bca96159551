#include "scene/Viewpoint.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr char Separator = ';';

bool isFinite(const Sorvex::M3d& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

bool readVector(const std::string& text, Sorvex::M3d& out) {
    Sorvex::M3d v;
    if (!v.fromText(text.c_str()) || !isFinite(v))
        return false;
    out = v;
    return true;
}

} // namespace

Viewpoint::Viewpoint(const Sorvex::M3d& target, const Sorvex::M3d& eye, const Sorvex::M3d& up,
                     double diameter)
    : m_target(target), m_eye(eye), m_up(up), m_diameter(diameter), m_valid(true) {}

std::string Viewpoint::toText() const {
    if (!m_valid)
        return {};
    char diameter[32];
    std::snprintf(diameter, sizeof diameter, "%.17g", m_diameter);
    return m_target.toString() + Separator + m_eye.toString() + Separator + m_up.toString() +
           Separator + diameter;
}

bool Viewpoint::fromText(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == Separator)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    if (fields.size() != 4)
        return false;
    Sorvex::M3d target, eye, up;
    if (!readVector(fields[0], target) || !readVector(fields[1], eye) || !readVector(fields[2], up))
        return false;
    char* end = nullptr;
    const double diameter = std::strtod(fields[3].c_str(), &end);
    if (end == fields[3].c_str() || !std::isfinite(diameter))
        return false;
    *this = Viewpoint(target, eye, up, diameter);
    return true;
}
