#pragma once

#include <string>

/// FFmpeg's libraries are opened when the first movie is written, not when the program
/// starts: they and what they depend on are over a hundred shared libraries, which every
/// run would otherwise pay to load. The FFmpeg calls of the movie code go through
/// FFmpegLibraries.cpp, which finds each function in the opened libraries.

/// Opens FFmpeg's libraries (once per process); false with `error` naming the library
/// that could not be opened and why. A failure is final: later calls give it again.
bool LoadFFmpegLibraries(std::string& error);
