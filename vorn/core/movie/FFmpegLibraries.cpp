#include "vorn/core/movie/FFmpegLibraries.h"

#include <dlfcn.h>

#include <array>
#include <cerrno>

// Everything below, FFmpeg's declarations included, stays inside this library: the calls
// of the movie code bind to these definitions, and no other user of FFmpeg in the process
// sees them.
#pragma GCC visibility push(hidden)
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#define VORN_STRINGIFY_(x) #x
#define VORN_STRINGIFY(x) VORN_STRINGIFY_(x)

namespace {

/// The libraries by the major versions the program was built against (their ABI), each
/// after those it depends on.
const std::array<const char*, 4> kLibraryNames = {
    "libavutil.so." VORN_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswscale.so." VORN_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libavcodec.so." VORN_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." VORN_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
};

struct Libraries {
    std::array<void*, 4> handles{};
    std::string error;
};

const Libraries& libraries() {
    // Opened once, by whichever thread asks first; the handles are never closed.
    static const Libraries opened = [] {
        Libraries libs;
        for (size_t i = 0; i < kLibraryNames.size(); ++i) {
            libs.handles[i] = dlopen(kLibraryNames[i], RTLD_NOW | RTLD_LOCAL);
            if (!libs.handles[i]) {
                const char* why = dlerror();
                libs.error = std::string("cannot record movies: FFmpeg's ") + kLibraryNames[i] +
                             " could not be loaded (" + (why ? why : "unknown reason") + ")";
                break;
            }
        }
        return libs;
    }();
    return opened;
}

/// The function `name` of the opened libraries, or null when they could not be opened.
template <typename Function> Function resolve(const char* name) {
    const Libraries& libs = libraries();
    if (!libs.error.empty())
        return nullptr;
    for (void* handle : libs.handles)
        if (void* found = dlsym(handle, name))
            return reinterpret_cast<Function>(found);
    return nullptr;
}

} // namespace

// Each call finds its function once. Without the libraries a call does nothing and gives a
// null pointer or an error code; the movie code asks LoadFFmpegLibraries first and never
// gets that far.
#define VORN_FFMPEG(name) static const auto real = resolve<decltype(&::name)>(#name)

extern "C" {

AVFrame* av_frame_alloc(void) {
    VORN_FFMPEG(av_frame_alloc);
    return real ? real() : nullptr;
}

void av_frame_free(AVFrame** frame) {
    VORN_FFMPEG(av_frame_free);
    if (real)
        real(frame);
}

int av_frame_get_buffer(AVFrame* frame, int align) {
    VORN_FFMPEG(av_frame_get_buffer);
    return real ? real(frame, align) : AVERROR(ENOSYS);
}

int av_frame_make_writable(AVFrame* frame) {
    VORN_FFMPEG(av_frame_make_writable);
    return real ? real(frame) : AVERROR(ENOSYS);
}

void av_log_set_level(int level) {
    VORN_FFMPEG(av_log_set_level);
    if (real)
        real(level);
}

int av_opt_set(void* obj, const char* name, const char* val, int searchFlags) {
    VORN_FFMPEG(av_opt_set);
    return real ? real(obj, name, val, searchFlags) : AVERROR(ENOSYS);
}

int av_strerror(int code, char* text, size_t size) {
    VORN_FFMPEG(av_strerror);
    if (real)
        return real(code, text, size);
    if (size > 0)
        text[0] = '\0';
    return -1;
}

AVPacket* av_packet_alloc(void) {
    VORN_FFMPEG(av_packet_alloc);
    return real ? real() : nullptr;
}

void av_packet_free(AVPacket** packet) {
    VORN_FFMPEG(av_packet_free);
    if (real)
        real(packet);
}

void av_packet_rescale_ts(AVPacket* packet, AVRational from, AVRational to) {
    VORN_FFMPEG(av_packet_rescale_ts);
    if (real)
        real(packet, from, to);
}

const AVCodec* avcodec_find_encoder_by_name(const char* name) {
    VORN_FFMPEG(avcodec_find_encoder_by_name);
    return real ? real(name) : nullptr;
}

AVCodecContext* avcodec_alloc_context3(const AVCodec* codec) {
    VORN_FFMPEG(avcodec_alloc_context3);
    return real ? real(codec) : nullptr;
}

void avcodec_free_context(AVCodecContext** context) {
    VORN_FFMPEG(avcodec_free_context);
    if (real)
        real(context);
}

int avcodec_open2(AVCodecContext* context, const AVCodec* codec, AVDictionary** options) {
    VORN_FFMPEG(avcodec_open2);
    return real ? real(context, codec, options) : AVERROR(ENOSYS);
}

int avcodec_parameters_from_context(AVCodecParameters* parameters, const AVCodecContext* context) {
    VORN_FFMPEG(avcodec_parameters_from_context);
    return real ? real(parameters, context) : AVERROR(ENOSYS);
}

int avcodec_send_frame(AVCodecContext* context, const AVFrame* frame) {
    VORN_FFMPEG(avcodec_send_frame);
    return real ? real(context, frame) : AVERROR(ENOSYS);
}

int avcodec_receive_packet(AVCodecContext* context, AVPacket* packet) {
    VORN_FFMPEG(avcodec_receive_packet);
    return real ? real(context, packet) : AVERROR(ENOSYS);
}

int avformat_alloc_output_context2(AVFormatContext** context, const AVOutputFormat* format,
                                   const char* formatName, const char* fileName) {
    VORN_FFMPEG(avformat_alloc_output_context2);
    return real ? real(context, format, formatName, fileName) : AVERROR(ENOSYS);
}

void avformat_free_context(AVFormatContext* context) {
    VORN_FFMPEG(avformat_free_context);
    if (real)
        real(context);
}

AVStream* avformat_new_stream(AVFormatContext* context, const AVCodec* codec) {
    VORN_FFMPEG(avformat_new_stream);
    return real ? real(context, codec) : nullptr;
}

int avformat_write_header(AVFormatContext* context, AVDictionary** options) {
    VORN_FFMPEG(avformat_write_header);
    return real ? real(context, options) : AVERROR(ENOSYS);
}

int av_interleaved_write_frame(AVFormatContext* context, AVPacket* packet) {
    VORN_FFMPEG(av_interleaved_write_frame);
    return real ? real(context, packet) : AVERROR(ENOSYS);
}

int av_write_trailer(AVFormatContext* context) {
    VORN_FFMPEG(av_write_trailer);
    return real ? real(context) : AVERROR(ENOSYS);
}

int avio_open(AVIOContext** io, const char* url, int flags) {
    VORN_FFMPEG(avio_open);
    return real ? real(io, url, flags) : AVERROR(ENOSYS);
}

int avio_closep(AVIOContext** io) {
    VORN_FFMPEG(avio_closep);
    return real ? real(io) : AVERROR(ENOSYS);
}

SwsContext* sws_getContext(int srcW, int srcH, AVPixelFormat srcFormat, int dstW, int dstH,
                           AVPixelFormat dstFormat, int flags, SwsFilter* srcFilter,
                           SwsFilter* dstFilter, const double* param) {
    VORN_FFMPEG(sws_getContext);
    return real ? real(srcW, srcH, srcFormat, dstW, dstH, dstFormat, flags, srcFilter, dstFilter,
                       param)
                : nullptr;
}

int sws_scale(SwsContext* context, const uint8_t* const srcSlice[], const int srcStride[],
              int srcSliceY, int srcSliceH, uint8_t* const dst[], const int dstStride[]) {
    VORN_FFMPEG(sws_scale);
    return real ? real(context, srcSlice, srcStride, srcSliceY, srcSliceH, dst, dstStride) : 0;
}

void sws_freeContext(SwsContext* context) {
    VORN_FFMPEG(sws_freeContext);
    if (real)
        real(context);
}

} // extern "C"

#pragma GCC visibility pop

bool LoadFFmpegLibraries(std::string& error) {
    const Libraries& libs = libraries();
    error = libs.error;
    return error.empty();
}
