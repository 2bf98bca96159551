#include "vorn/core/movie/MovieFormat.h"

#include "common/AtomicFile.h"
#include "common/UserPaths.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cctype>
#include <fstream>
#include <sstream>

namespace {

const char* const SettingsFileName = "CompressionSettings.ini";
const char* const CodecKey = "codec=";

std::string lowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

const MovieCodec AllCodecs[] = {MovieCodec::Mpeg4, MovieCodec::Mjpeg, MovieCodec::Ffv1,
                                MovieCodec::H264, MovieCodec::Gif};

} // namespace

const char* MovieEncoderName(MovieCodec codec) {
    switch (codec) {
    case MovieCodec::Mpeg4:
        return "mpeg4";
    case MovieCodec::Mjpeg:
        return "mjpeg";
    case MovieCodec::Ffv1:
        return "ffv1";
    case MovieCodec::H264:
        return "libx264";
    case MovieCodec::Gif:
        return "gif";
    }
    return "mpeg4";
}

const char* MovieCodecLabel(MovieCodec codec) {
    switch (codec) {
    case MovieCodec::Mpeg4:
        return "MPEG-4";
    case MovieCodec::Mjpeg:
        return "Motion JPEG";
    case MovieCodec::Ffv1:
        return "FFV1 (lossless)";
    case MovieCodec::H264:
        return "H.264";
    case MovieCodec::Gif:
        return "GIF";
    }
    return "MPEG-4";
}

bool IsMovieEncoderInstalled(MovieCodec codec) {
    return avcodec_find_encoder_by_name(MovieEncoderName(codec)) != nullptr;
}

std::vector<MovieCodec> AviCodecChoices() {
    return {MovieCodec::Mpeg4, MovieCodec::Mjpeg, MovieCodec::Ffv1};
}

bool IsMoviePath(const std::string& path) {
    const std::string ext = lowerExtension(path);
    return ext == ".avi" || ext == ".mp4" || ext == ".gif";
}

std::optional<MovieFormat> MovieFormatForPath(const std::string& path, MovieCodec aviCodec,
                                              std::string& error) {
    const std::string ext = lowerExtension(path);
    if (ext == ".avi")
        return MovieFormat{"avi", aviCodec};
    if (ext == ".mp4")
        return MovieFormat{"mp4", IsMovieEncoderInstalled(MovieCodec::H264) ? MovieCodec::H264
                                                                            : MovieCodec::Mpeg4};
    if (ext == ".gif")
        return MovieFormat{"gif", MovieCodec::Gif};
    error = "cannot tell the movie type of '" + path + "' (use .avi, .mp4 or .gif)";
    return std::nullopt;
}

std::string AviCodecSettingsPath() {
    return JoinPath(GetConfigDir(), SettingsFileName);
}

std::optional<MovieCodec> LoadStoredAviCodec() {
    std::ifstream in(AviCodecSettingsPath());
    std::string line;
    while (in && std::getline(in, line)) {
        if (line.rfind(CodecKey, 0) != 0)
            continue;
        const std::string name = line.substr(std::string(CodecKey).size());
        for (MovieCodec codec : AviCodecChoices())
            if (name == MovieEncoderName(codec))
                return codec;
    }
    return std::nullopt;
}

bool StoreAviCodec(MovieCodec codec, std::string& error) {
    std::ostringstream text;
    text << "# The codec of AVI movies, chosen once; delete this file to choose again.\n"
         << CodecKey << MovieEncoderName(codec) << "\n";
    return WriteFileAtomically(AviCodecSettingsPath(), text.str(), &error);
}
