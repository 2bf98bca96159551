#include "vorn/core/movie/MovieWriter.h"

#include "common/AtomicFile.h"
#include "vorn/core/movie/FFmpegLibraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kLargestSide = 16384;
/// 33 ms per frame: the frame rate movies have always been recorded at.
const AVRational kFrameDuration{33, 1000};

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

AVPixelFormat encoderPixels(MovieCodec codec) {
    switch (codec) {
    case MovieCodec::Mjpeg:
        return AV_PIX_FMT_YUVJ420P;
    case MovieCodec::Ffv1:
        return AV_PIX_FMT_BGR0;
    case MovieCodec::Gif:
        return AV_PIX_FMT_RGB8;
    default:
        return AV_PIX_FMT_YUV420P;
    }
}

bool halvesChroma(MovieCodec codec) {
    return codec == MovieCodec::Mpeg4 || codec == MovieCodec::H264 || codec == MovieCodec::Mjpeg;
}

/// A fresh hidden file beside `path`, reserved so no other writer takes the name; empty
/// with `error` set when the folder cannot be written.
std::string reserveHiddenFile(const std::string& path, std::string& error) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folder + "/." + name + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return {};
    }
    // A reserved name is private to its owner; the finished movie gets what a newly
    // created file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return pattern;
}

} // namespace

struct MovieWriter::Encoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::string hiddenPath;
    bool headerWritten = false;

    ~Encoder() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&codec);
        if (format) {
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
        if (!hiddenPath.empty())
            std::remove(hiddenPath.c_str());
    }

    /// Sends `f` (null: flush) and writes every packet the encoder has ready.
    int encode(AVFrame* f) {
        int rc = avcodec_send_frame(codec, f);
        if (rc < 0)
            return rc;
        while (true) {
            rc = avcodec_receive_packet(codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return 0;
            if (rc < 0)
                return rc;
            // Each frame lasts one frame time; without it MP4 files end at the last
            // frame's start and players drop that frame.
            if (packet->duration == 0)
                packet->duration = 1;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            rc = av_interleaved_write_frame(format, packet);
            if (rc < 0)
                return rc;
        }
    }
};

MovieWriter::MovieWriter() = default;

MovieWriter::~MovieWriter() {
    abandon();
}

bool MovieWriter::isOpen() const {
    return m_encoder != nullptr;
}

int MovieWriter::getEncodedWidth() const {
    return m_encoder ? m_encoder->codec->width : 0;
}

int MovieWriter::getEncodedHeight() const {
    return m_encoder ? m_encoder->codec->height : 0;
}

void MovieWriter::abandon() {
    m_encoder.reset();
}

bool MovieWriter::fail(const std::string& message) {
    m_error = message;
    abandon();
    return false;
}

bool MovieWriter::open(const std::string& path, int width, int height, MovieCodec aviCodec) {
    abandon();
    m_error.clear();
    m_frames = 0;
    m_path = path;
    m_width = width;
    m_height = height;
    const std::optional<MovieFormat> format = MovieFormatForPath(path, aviCodec, m_error);
    if (!format)
        return false;
    m_format = *format;
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return fail("cannot record a movie of " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels");
    std::string unavailable;
    if (!LoadFFmpegLibraries(unavailable))
        return fail(unavailable);
    // Encoders report their settings on stderr; the user hears of errors through
    // `getError` instead.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder_by_name(MovieEncoderName(m_format.codec));
    if (!codec)
        return fail(std::string("the installed FFmpeg has no ") + MovieCodecLabel(m_format.codec) +
                    " encoder ('" + MovieEncoderName(m_format.codec) + "')");

    // Found out now rather than when the finished movie cannot take its place.
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
        return fail("cannot write '" + path + "': it is a folder");

    auto e = std::make_unique<Encoder>();
    std::string error;
    e->hiddenPath = reserveHiddenFile(path, error);
    if (e->hiddenPath.empty())
        return fail(error);
    m_encoder = std::move(e);
    Encoder& enc = *m_encoder;

    int rc = avformat_alloc_output_context2(&enc.format, nullptr, m_format.container.c_str(),
                                            enc.hiddenPath.c_str());
    if (rc < 0 || !enc.format)
        return fail("cannot start a " + m_format.container + " file: " + avError(rc));
    enc.codec = avcodec_alloc_context3(codec);
    enc.stream = avformat_new_stream(enc.format, nullptr);
    enc.frame = av_frame_alloc();
    enc.packet = av_packet_alloc();
    if (!enc.codec || !enc.stream || !enc.frame || !enc.packet)
        return fail("out of memory starting the movie");

    AVCodecContext& c = *enc.codec;
    const bool even = halvesChroma(m_format.codec);
    c.width = even ? (width + 1) & ~1 : width;
    c.height = even ? (height + 1) & ~1 : height;
    c.time_base = kFrameDuration;
    c.framerate = av_inv_q(kFrameDuration);
    c.pix_fmt = encoderPixels(m_format.codec);
    c.gop_size = 12;
    if (m_format.codec == MovieCodec::Mpeg4 || m_format.codec == MovieCodec::Mjpeg) {
        // A fixed, fine quantiser: sharp edges of the faces, no bit-rate guess.
        c.flags |= AV_CODEC_FLAG_QSCALE;
        c.global_quality = FF_QP2LAMBDA * 3;
    }
    if (m_format.codec == MovieCodec::H264) {
        // No frames predicted from later ones: every frame a player counts is one given.
        c.max_b_frames = 0;
        av_opt_set(c.priv_data, "preset", "veryfast", 0);
        av_opt_set(c.priv_data, "crf", "20", 0);
    }
    if (enc.format->oformat->flags & AVFMT_GLOBALHEADER)
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    rc = avcodec_open2(enc.codec, codec, nullptr);
    if (rc < 0)
        return fail(std::string("cannot start the ") + MovieCodecLabel(m_format.codec) +
                    " encoder: " + avError(rc));
    enc.stream->time_base = kFrameDuration;
    rc = avcodec_parameters_from_context(enc.stream->codecpar, enc.codec);
    if (rc < 0)
        return fail("cannot describe the movie's stream: " + avError(rc));

    enc.frame->format = c.pix_fmt;
    enc.frame->width = c.width;
    enc.frame->height = c.height;
    rc = av_frame_get_buffer(enc.frame, 0);
    if (rc < 0)
        return fail("out of memory for the movie's frames");
    enc.scaler = sws_getContext(width, height, AV_PIX_FMT_RGB32, c.width, c.height, c.pix_fmt,
                                SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!enc.scaler)
        return fail("cannot convert pictures for the movie's frames");

    rc = avio_open(&enc.format->pb, enc.hiddenPath.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0)
        return fail("cannot write '" + path + "': " + avError(rc));
    rc = avformat_write_header(enc.format, nullptr);
    if (rc < 0)
        return fail("cannot write '" + path + "': " + avError(rc));
    enc.headerWritten = true;
    return true;
}

bool MovieWriter::addFrame(const std::uint32_t* pixels, int stride) {
    if (!m_encoder)
        return fail(m_error.empty() ? "no movie is being recorded" : m_error);
    Encoder& enc = *m_encoder;
    int rc = av_frame_make_writable(enc.frame);
    if (rc < 0)
        return fail("cannot add a frame to '" + m_path + "': " + avError(rc));
    const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(pixels)};
    const int srcStride[1] = {stride};
    sws_scale(enc.scaler, src, srcStride, 0, m_height, enc.frame->data, enc.frame->linesize);
    enc.frame->pts = m_frames;
    rc = enc.encode(enc.frame);
    if (rc < 0)
        return fail("cannot add a frame to '" + m_path + "': " + avError(rc));
    ++m_frames;
    return true;
}

bool MovieWriter::finish() {
    if (!m_encoder)
        return fail(m_error.empty() ? "no movie is being recorded" : m_error);
    Encoder& enc = *m_encoder;
    int rc = enc.encode(nullptr);
    if (rc < 0)
        return fail("cannot finish '" + m_path + "': " + avError(rc));
    rc = av_write_trailer(enc.format);
    if (rc < 0)
        return fail("cannot finish '" + m_path + "': " + avError(rc));
    rc = avio_closep(&enc.format->pb);
    if (rc < 0)
        return fail("cannot finish '" + m_path + "': " + avError(rc));
    std::string error;
    const std::string hidden = enc.hiddenPath;
    // The move consumes the hidden file whether it succeeds or not.
    enc.hiddenPath.clear();
    if (!MoveFileOver(hidden, m_path, &error))
        return fail(error);
    m_encoder.reset();
    return true;
}
