#pragma once

#include "vorn/core/movie/MovieFormat.h"

#include <cstdint>
#include <memory>
#include <string>

/// Writes a movie, frame by frame, through FFmpeg's libraries: AVI, MP4 or GIF by the
/// file's extension. Frames run at 1000/33 (about 30.3) frames per second.
///
/// The movie is written into a hidden file beside `path` and takes its place only when
/// `finish` succeeds, so a failed or abandoned movie leaves no partial file, and an older
/// file of the same name stays as it was until the new one is complete. Codecs that
/// store colour at half resolution (MPEG-4, H.264, Motion JPEG) need even sizes: an odd
/// width or height is rounded up and the frames are scaled to it.
class MovieWriter {
public:
    MovieWriter();
    /// Abandons an unfinished movie (removes its hidden file).
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    /// Starts a movie of `width` x `height` frames. False with `getError()` set for an
    /// unknown extension, a size out of range, an encoder the installed FFmpeg lacks, or
    /// a folder that cannot be written; nothing is left behind then.
    bool open(const std::string& path, int width, int height,
              MovieCodec aviCodec = MovieCodec::Mpeg4);
    /// Adds one frame: `width` x `height` pixels in Cairo's ARGB32 layout (native 32-bit
    /// words 0xAARRGGBB), rows `stride` bytes apart. False with `getError()` set when it
    /// could not be encoded or written; the movie is abandoned then.
    bool addFrame(const std::uint32_t* pixels, int stride);
    /// Flushes the encoder, completes the file and puts it in place. False with
    /// `getError()` set (and nothing left behind) when that fails or no movie is open.
    bool finish();
    /// Drops the movie under way and removes its hidden file.
    void abandon();

    bool isOpen() const;
    int getFrameCount() const { return m_frames; }
    /// The size of the frames in the file (even sizes for the codecs that need them).
    int getEncodedWidth() const;
    int getEncodedHeight() const;
    const MovieFormat& getFormat() const { return m_format; }
    const std::string& getPath() const { return m_path; }
    const std::string& getError() const { return m_error; }

private:
    struct Encoder;
    bool fail(const std::string& message);

    std::unique_ptr<Encoder> m_encoder;
    MovieFormat m_format;
    std::string m_path;
    std::string m_error;
    int m_width = 0;
    int m_height = 0;
    int m_frames = 0;
};
