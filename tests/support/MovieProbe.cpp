#include "tests/support/MovieProbe.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[512];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

} // namespace

MovieProbe ProbeMovie(const std::string& path) {
    MovieProbe probe;
    // Decodes every frame (-count_frames), so the count is what a player would show.
    const std::string out = run("ffprobe -v error -count_frames -select_streams v:0 "
                                "-show_entries stream=codec_name,width,height,nb_read_frames "
                                "-show_entries format=format_name -of default=nw=1 '" +
                                path + "' 2>/dev/null");
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "codec_name")
            probe.codec = value;
        else if (key == "width")
            probe.width = std::stoi(value);
        else if (key == "height")
            probe.height = std::stoi(value);
        else if (key == "nb_read_frames")
            probe.frames = std::stoi(value);
        else if (key == "format_name")
            probe.container = value;
    }
    probe.ok = !probe.codec.empty() && probe.width > 0;
    return probe;
}
