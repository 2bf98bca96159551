#pragma once

#include <string>

/// What ffprobe reads back from a movie file: the first video stream's decoded frame
/// count, size and codec name; `ok` false when ffprobe could not read the file.
struct MovieProbe {
    bool ok = false;
    int frames = 0;
    int width = 0;
    int height = 0;
    std::string codec;
    std::string container;
};

MovieProbe ProbeMovie(const std::string& path);
