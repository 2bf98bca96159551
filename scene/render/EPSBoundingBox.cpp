// Rewriting the bounding box comments of EPS files, for numbered series that share a box.
#include "scene/render/EPSBoundingBox.h"

#include "common/AtomicFile.h"
#include "scene/Renderer.h"
#include "sorvex/MRect.h"

#include <cmath>
#include <cstdio>

namespace {

bool startsWith(const std::string& line, const char* prefix) {
    return line.rfind(prefix, 0) == 0;
}

std::string boxLine(const char* name, const Sorvex::MRect& box, bool hiRes) {
    char text[160];
    if (hiRes)
        std::snprintf(text, sizeof text, "%s %.6f %.6f %.6f %.6f", name, box.x1(), box.y1(),
                      box.x2(), box.y2());
    else
        std::snprintf(text, sizeof text, "%s %ld %ld %ld %ld", name,
                      std::lround(std::floor(box.x1())), std::lround(std::floor(box.y1())),
                      std::lround(std::ceil(box.x2())), std::lround(std::ceil(box.y2())));
    return text;
}

bool rewrite(const std::string& path, const Sorvex::MRect& box, std::string& error) {
    std::string text;
    if (!ReadWholeFile(path, text, nullptr)) {
        error = "cannot read '" + path + "'";
        return false;
    }
    if (!RewriteEPSBoundingBox(text, box)) {
        error = "'" + path + "' is not an EPS file (it has no bounding box)";
        return false;
    }
    std::string why;
    if (!WriteFileAtomically(path, text, &why, FileSync::Quick)) {
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

} // namespace

bool RewriteEPSBoundingBox(std::string& eps, const Sorvex::MRect& box) {
    std::string out;
    out.reserve(eps.size());
    bool found = false;
    size_t pos = 0;
    while (pos < eps.size()) {
        const size_t end = eps.find('\n', pos);
        std::string line =
            eps.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        // Lines of the comment header and trailer; (atend) markers are replaced too.
        if (startsWith(line, "%%BoundingBox:")) {
            line = boxLine("%%BoundingBox:", box, false);
            found = true;
        } else if (startsWith(line, "%%HiResBoundingBox:")) {
            line = boxLine("%%HiResBoundingBox:", box, true);
        } else if (startsWith(line, "%%PageBoundingBox:")) {
            line = boxLine("%%PageBoundingBox:", box, false);
        }
        out += line;
        if (end == std::string::npos)
            break;
        out += '\n';
        pos = end + 1;
    }
    if (!found)
        return false;
    eps = std::move(out);
    return true;
}

bool Renderer::updateEPSBBoxes(const std::vector<std::string>& paths, const Sorvex::MRect& box,
                               std::string* error) {
    bool ok = true;
    for (const std::string& path : paths) {
        std::string why;
        if (!rewrite(path, box, why) && ok) {
            ok = false;
            if (error)
                *error = why;
        }
    }
    return ok;
}
