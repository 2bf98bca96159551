#pragma once

#include <optional>
#include <string>
#include <vector>

/// The video codecs movies are written with.
enum class MovieCodec {
    Mpeg4, ///< MPEG-4 Part 2: the AVI default and the .mp4 fallback
    Mjpeg, ///< motion JPEG: every frame a picture of its own
    Ffv1,  ///< lossless
    H264,  ///< .mp4 where the encoder is installed
    Gif,   ///< .gif, 256 colours
};

/// What a movie file is: the container (by the file's extension) and the codec in it.
struct MovieFormat {
    std::string container; ///< FFmpeg's muxer name: "avi", "mp4" or "gif"
    MovieCodec codec = MovieCodec::Mpeg4;
};

/// The encoder FFmpeg knows `codec` by ("mpeg4", "mjpeg", "ffv1", "libx264", "gif").
const char* MovieEncoderName(MovieCodec codec);
/// The name users see and the settings store ("MPEG-4", "Motion JPEG", ...).
const char* MovieCodecLabel(MovieCodec codec);
/// Whether the installed FFmpeg can encode `codec`.
bool IsMovieEncoderInstalled(MovieCodec codec);
/// The codecs an AVI file may hold, in the order a choice offers them.
std::vector<MovieCodec> AviCodecChoices();

/// The format for `path` by its extension (any case): ".avi" with `aviCodec`, ".mp4" with
/// H.264 when installed and MPEG-4 Part 2 otherwise, ".gif". Nothing (with `error` set)
/// for any other extension.
std::optional<MovieFormat> MovieFormatForPath(const std::string& path, MovieCodec aviCodec,
                                              std::string& error);
/// Whether `path` names a movie by its extension.
bool IsMoviePath(const std::string& path);

/// The AVI codec chosen once and stored in "CompressionSettings.ini" of the settings
/// folder, so that later movies are written without asking. Nothing when no choice is
/// stored (or the file does not hold one this build knows).
std::optional<MovieCodec> LoadStoredAviCodec();
/// Stores the choice; false with `error` set when the file could not be written.
bool StoreAviCodec(MovieCodec codec, std::string& error);
/// The file the choice lives in.
std::string AviCodecSettingsPath();
