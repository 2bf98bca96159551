#include "vorn/core/sweep/SweepPlan.h"

#include "common/TextUtil.h"

#include <cmath>
#include <sstream>

namespace {

std::vector<std::string> splitColons(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ':');)
        parts.push_back(part);
    if (!text.empty() && text.back() == ':')
        parts.push_back("");
    return parts;
}

bool parseWhole(const std::string& text, long min, long max, long& out) {
    double v = 0;
    if (!parseDouble(text, v) || v != std::floor(v) || v < double(min) || v > double(max))
        return false;
    out = long(v);
    return true;
}

} // namespace

long SweepPlan::pointCount() const {
    return long(h.steps + 1) * long(k.steps + 1) * long(dimMax - dimMin + 1);
}

bool ParseSweepRange(const std::string& text, SweepRange& out, std::string& error) {
    const std::vector<std::string> parts = splitColons(text);
    SweepRange range;
    long steps = 0;
    if (parts.size() != 3 || !parseDouble(parts[0], range.min) ||
        !parseDouble(parts[1], range.max) || !std::isfinite(range.min) ||
        !std::isfinite(range.max) || !parseWhole(parts[2], 1, 10000, steps)) {
        error = "\"" + text + "\" is not MIN:MAX:STEPS (numbers, 1 to 10000 steps)";
        return false;
    }
    range.steps = int(steps);
    out = range;
    return true;
}

bool ParseDimRange(const std::string& text, int& min, int& max, std::string& error) {
    const std::vector<std::string> parts = splitColons(text);
    long a = 0, b = 0;
    if (parts.empty() || parts.size() > 2 || !parseWhole(parts[0], 3, 1000, a) ||
        !parseWhole(parts.back(), 3, 1000, b) || b < a) {
        error = "\"" + text + "\" is not N or N:M (whole numbers, 3 <= N <= M <= 1000)";
        return false;
    }
    min = int(a);
    max = int(b);
    return true;
}
