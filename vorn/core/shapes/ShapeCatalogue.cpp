#include "vorn/core/shapes/ShapeCatalogue.h"

#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/MathFn.h"
#include "vorn/core/shapes/WitchHat.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

using Kind = ShapeParam::Kind;

/// The parsed values of one build, by parameter name.
struct Values {
    std::map<std::string, long> ints;
    std::map<std::string, double> doubles;
    std::map<std::string, bool> flags;
};

bool parseParam(const ShapeParam& p, const std::string& text, Values& out, std::string& error) {
    const std::string name = p.name;
    if (p.kind == Kind::Bool) {
        if (text != "true" && text != "false" && text != "1" && text != "0") {
            error = name + " must be true or false, not '" + text + "'";
            return false;
        }
        out.flags[name] = text == "true" || text == "1";
        return true;
    }
    char* end = nullptr;
    errno = 0;
    if (p.kind == Kind::Int) {
        const long n = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end || errno == ERANGE || n < 0 || (p.max && n > p.max)) {
            error = name + " must be a whole number from 0 to " + std::to_string(p.max) +
                    ", not '" + text + "'";
            return false;
        }
        out.ints[name] = n;
        return true;
    }
    const double d = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !std::isfinite(d)) {
        error = name + " must be a finite number, not '" + text + "'";
        return false;
    }
    out.doubles[name] = d;
    return true;
}

std::unique_ptr<PolyMesh> build(const std::string& className, Values& v) {
    if (className == "Coolinoid") {
        auto c = std::make_unique<Coolinoid>();
        c->rebuild(int(v.ints["du"]), int(v.ints["dv"]), v.doubles["h"], v.doubles["k"]);
        return c;
    }
    if (className == "WitchHat") {
        auto w = std::make_unique<WitchHat>();
        w->rebuild(v.doubles["height"], v.doubles["belt"]);
        return w;
    }
    if (className == "BinTree") {
        auto t = std::make_unique<BinTree>();
        t->rebuild(int(v.ints["valence"]), int(v.ints["subdivisions"]), v.flags["chop"],
                   v.flags["dual"], v.doubles["twist"]);
        return t;
    }
    auto m = std::make_unique<MathFn>();
    m->rebuild(int(v.ints["which"]), int(v.ints["du"]), int(v.ints["dv"]));
    return m;
}

} // namespace

const std::vector<ShapeInfo>& GetShapeCatalogue() {
    static const std::vector<ShapeInfo> shapes = {
        {"Coolinoid",
         "open tube, radius 1 at the waist to 2 at the rims",
         {{"du", Kind::Int, "20", 1000},
          {"dv", Kind::Int, "20", 1000},
          {"h", Kind::Double, "3"},
          {"k", Kind::Double, "2.5"}}},
        {"WitchHat",
         "tetrahedron with a pointed hat on each face",
         {{"height", Kind::Double, "2.0"}, {"belt", Kind::Double, "0.0"}}},
        {"BinTree",
         "pyramid with recursively truncated base corners",
         {{"valence", Kind::Int, "3", 1000},
          {"subdivisions", Kind::Int, "0", 8},
          {"chop", Kind::Bool, "false"},
          {"dual", Kind::Bool, "false"},
          {"twist", Kind::Double, "0"}}},
        {"MathFn",
         "surface gallery: which = 1007 ... 1050 (see the panel's buttons)",
         {{"which", Kind::Int, "1010", 9999},
          {"du", Kind::Int, "4", 1000},
          {"dv", Kind::Int, "3", 1000}}},
    };
    return shapes;
}

const ShapeInfo* FindShape(const std::string& className) {
    for (const ShapeInfo& s : GetShapeCatalogue())
        if (className == s.className)
            return &s;
    return nullptr;
}

std::unique_ptr<PolyMesh> BuildShape(const std::string& className,
                                     const std::map<std::string, std::string>& values,
                                     std::string& error) {
    const ShapeInfo* info = FindShape(className);
    if (!info) {
        error = "unknown shape '" + className + "'";
        return nullptr;
    }
    for (const auto& [name, text] : values) {
        bool known = false;
        for (const ShapeParam& p : info->params)
            known = known || name == p.name;
        if (!known) {
            error = className + " has no parameter '" + name + "'";
            return nullptr;
        }
    }
    Values parsed;
    for (const ShapeParam& p : info->params) {
        const auto given = values.find(p.name);
        if (!parseParam(p, given == values.end() ? p.def : given->second, parsed, error))
            return nullptr;
    }
    return build(className, parsed);
}
