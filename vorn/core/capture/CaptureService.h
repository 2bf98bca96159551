#pragma once

#include "scene/render/Camera.h"
#include "sorvex/MRect.h"
#include "vorn/core/movie/MovieFormat.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class MovieWriter;

class SceneObj;
class SceneRoot;

/// Pictures of a scene written to files, without any dialog: single screenshots, numbered
/// slide series ("Capture000.pdf", "Capture001.pdf", ...) with an EPS bounding box shared
/// across the series, movies (".avi", ".mp4", ".gif": every capture into the same movie
/// path adds one frame, and the end of the recording completes the file), and the end of
/// a recording. The camera is the view's; pictures are drawn on a white background.
class CaptureService {
public:
    CaptureService();
    /// Abandons movies that were never ended: they leave no file.
    ~CaptureService();
    CaptureService(const CaptureService&) = delete;
    CaptureService& operator=(const CaptureService&) = delete;

    /// Asks the user for the AVI codec when none is stored yet (nothing: cancelled, and
    /// the movie is not started). The choice is then stored for later movies. Without a
    /// chooser, AVI movies use MPEG-4 and nothing is stored.
    using CodecChooser = std::function<std::optional<MovieCodec>()>;
    void setCodecChooser(CodecChooser chooser) { m_codecChooser = std::move(chooser); }

    /// The camera pictures are taken from. Until one is given, each picture frames the
    /// scene from a three-quarter view.
    void setCamera(const Camera& camera);

    /// Writes a picture of `root` (of the selection only when `selectedOnly` is set and
    /// there is one) to `path`, `width` x `height` pixels, by its extension: ".png",
    /// ".eps", ".pdf" or ".svg" in any case. With numbering on, the counter goes before
    /// the extension. An empty path (or no scene) ends a recording instead. False with
    /// `getErrorText()` set when the picture could not be written.
    bool capture(SceneRoot* root, const std::string& path, int width, int height,
                 bool selectedOnly);

    const std::string& getErrorText() const { return m_errorText; }
    /// Why a movie frame failed ("Unable to extend AVI" says only that it did); empty
    /// otherwise.
    const std::string& getErrorDetail() const { return m_errorDetail; }
    /// Frames written so far into the movie at `path`; -1 when no such movie is open.
    int getMovieFrameCount(const std::string& path) const;
    /// The numbering counter: the number the next picture gets, -1 when not numbering.
    int getCounter() const { return m_counter; }
    void setCounter(int counter) { m_counter = counter; }
    /// The name prepared for a picture of the selection beside the last numbered capture
    /// ("a" before its extension); empty when there is none.
    const std::string& getCompanionPath() const { return m_companionPath; }

    /// Starts a numbered series into `path` at the first free number and clears the
    /// shared bounding box.
    void startSlideshow(const std::string& path, int width, int height, bool selectedOnly);
    /// Starts recording every redraw as a frame of the movie `path` (no numbering).
    void startMovie(const std::string& path, int width, int height, bool selectedOnly);
    /// Ends the recording: capture with an empty path.
    bool stopRecording();
    bool isRecording() const { return m_recording; }
    const std::string& getRecordingPath() const { return m_recordPath; }
    /// One more picture of the recording in progress (a redraw); true when not recording.
    bool captureFrame(SceneRoot* root);

    /// `path` with `number` printed "%03i" before its extension (its last four characters).
    static std::string NumberedPath(const std::string& path, int number);
    /// The smallest n >= 0 for which `NumberedPath(path, n)` does not exist.
    static int FirstFreeNumber(const std::string& path);
    /// "Capture.pdf" in the per-user data folder's "Capture" folder (created when missing).
    static std::string DefaultSlideshowPath();

private:
    bool endRecording();
    bool addMovieFrame(SceneRoot& root, const std::string& path, int width, int height,
                       bool selectedOnly);
    std::optional<MovieCodec> chooseAviCodec();
    /// Completes every open movie; false (error text set) when one could not be finished.
    bool finishMovies();

    Camera m_camera;
    bool m_hasCamera = false;
    std::string m_errorText;
    int m_counter = -1;
    Sorvex::MRect m_sharedBox;
    bool m_sharedBoxChanged = false;
    std::string m_companionPath;
    bool m_recording = false;
    std::string m_recordPath;
    int m_recordWidth = 0;
    int m_recordHeight = 0;
    bool m_recordSelectedOnly = false;
    std::string m_seriesPath;
    std::string m_errorDetail;
    CodecChooser m_codecChooser;
    std::map<std::string, std::unique_ptr<MovieWriter>> m_movies;
};
