#include "vorn/core/papercraft/EdgeNumbering.h"

#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/PieceSplitter.h"

#include <algorithm>
#include <cmath>

using Sorvex::M2d;

std::vector<std::vector<int>> NumberCutEdges(const PaperSurface& surface, const FlatPieces& flat) {
    std::vector<std::vector<int>> numbers(surface.faces.size());
    for (size_t f = 0; f < surface.faces.size(); ++f)
        numbers[f].assign(surface.faces[f].corners.size(), 0);
    int next = 1;
    for (const auto& piece : flat.pieces) {
        for (int f : piece) {
            const auto& face = surface.faces[size_t(f)];
            for (size_t e = 0; e < face.neighbor.size(); ++e) {
                const int g = face.neighbor[e];
                if (g < 0 || flat.folded[size_t(f)][e] || numbers[size_t(f)][e])
                    continue;
                numbers[size_t(f)][e] = next;
                numbers[size_t(g)][size_t(face.neighborEdge[e])] = next;
                ++next;
            }
        }
    }
    return numbers;
}

double FaceInnerRadius(const std::vector<M2d>& c) {
    double area2 = 0.0, perimeter = 0.0;
    for (size_t i = 0; i < c.size(); ++i) {
        const M2d& p = c[i];
        const M2d& q = c[(i + 1) % c.size()];
        area2 += p.x() * q.y() - q.x() * p.y();
        perimeter += (q - p).length();
    }
    return perimeter > 0.0 ? std::fabs(area2) / perimeter : 0.0;
}

M2d FaceCentroid(const std::vector<M2d>& c) {
    double a = 0.0, x = 0.0, y = 0.0;
    M2d mean;
    for (size_t i = 0; i < c.size(); ++i) {
        const M2d& p = c[i];
        const M2d& q = c[(i + 1) % c.size()];
        const double w = p.x() * q.y() - q.x() * p.y();
        a += w;
        x += (p.x() + q.x()) * w;
        y += (p.y() + q.y()) * w;
        mean += p;
    }
    if (std::fabs(a) < 1e-12 || c.empty())
        return c.empty() ? mean : mean * (1.0 / double(c.size()));
    return M2d(x / (3.0 * a), y / (3.0 * a));
}

PaperLabel EdgeNumberLabel(const std::vector<M2d>& corners, int edge, int number,
                           double maxTextMm) {
    const M2d a = corners[size_t(edge)];
    const M2d b = corners[(size_t(edge) + 1) % corners.size()];
    M2d u = b - a;
    const double length = u.length();
    u.normalize();
    const M2d inward(-u.y(), u.x());
    PaperLabel label;
    label.text = std::to_string(number);
    const double fit = std::min({maxTextMm, 0.4 * length, 0.9 * FaceInnerRadius(corners)});
    label.size = fit > 0.0 ? RoundLabelSizeDown(fit) : 0.0;
    // The baseline sits a fifth of the letter height inside the edge.
    label.position = (a + b) * 0.5 + inward * (0.2 * label.size);
    label.angle = std::atan2(u.y(), u.x());
    return label;
}

int LabelSizeStep(double sizeMm) {
    // The small allowance keeps a size already on a step on that step.
    return int(std::floor(std::log(sizeMm) / std::log(kLabelSizeRatio) + 1e-9));
}

double RoundLabelSizeDown(double sizeMm) {
    const int step = LabelSizeStep(sizeMm);
    const double size = std::pow(kLabelSizeRatio, step);
    return size <= sizeMm ? size : std::pow(kLabelSizeRatio, step - 1);
}

int LabelAngleStep(double radians) {
    constexpr long kSteps = long(360.0 / kLabelAngleStepDegrees);
    const long step = std::lround(radians * 180.0 / M_PI / kLabelAngleStepDegrees) % kSteps;
    return int(step < 0 ? step + kSteps : step);
}

double RoundLabelAngle(double radians) {
    constexpr double kStep = kLabelAngleStepDegrees * M_PI / 180.0;
    return std::round(radians / kStep) * kStep;
}
