// Rewriting the bounding box comments of EPS files, for numbered series that share a box.
#include "scene/Renderer.h"
#include "sorvex/MRect.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read '" + path + "'";
        return false;
    }
    std::ostringstream out;
    std::string line;
    bool found = false;
    while (std::getline(in, line)) {
        // Lines of the comment header and trailer; (atend) markers are replaced too.
        if (startsWith(line, "%%BoundingBox:")) {
            line = boxLine("%%BoundingBox:", box, false);
            found = true;
        } else if (startsWith(line, "%%HiResBoundingBox:")) {
            line = boxLine("%%HiResBoundingBox:", box, true);
        } else if (startsWith(line, "%%PageBoundingBox:")) {
            line = boxLine("%%PageBoundingBox:", box, false);
        }
        out << line;
        if (!in.eof())
            out << '\n';
    }
    if (!found) {
        error = "'" + path + "' is not an EPS file (it has no bounding box)";
        return false;
    }
    const std::string temp = path + ".bbox-" + std::to_string(getpid());
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << out.str();
        if (!file.flush()) {
            std::remove(temp.c_str());
            error = "cannot write '" + path + "'";
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

} // namespace

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
