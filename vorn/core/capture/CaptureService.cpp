#include "vorn/core/capture/CaptureService.h"

#include "common/UserPaths.h"
#include "scene/SceneRoot.h"
#include "scene/render/CairoRenderer.h"
#include "vorn/core/movie/MovieWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

const char* const kUnrecognized = "CaptureScreen error : Unrecognized filetype requested";

/// The extension as the capture defines it: the last four characters, lower case.
std::string extensionOf(const std::string& path) {
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string insertBeforeExtension(const std::string& path, const std::string& text) {
    const size_t at = path.size() >= 4 ? path.size() - 4 : path.size();
    return path.substr(0, at) + text + path.substr(at);
}

std::string trimTrailingBlanks(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

bool sameBox(const Sorvex::MRect& a, const Sorvex::MRect& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

} // namespace

CaptureService::CaptureService() = default;

CaptureService::~CaptureService() = default;

void CaptureService::setCamera(const Camera& camera) {
    m_camera = camera;
    m_hasCamera = true;
}

std::string CaptureService::NumberedPath(const std::string& path, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03i", number);
    return insertBeforeExtension(path, digits);
}

int CaptureService::FirstFreeNumber(const std::string& path) {
    int n = 0;
    std::error_code ec;
    while (std::filesystem::exists(NumberedPath(path, n), ec))
        ++n;
    return n;
}

std::string CaptureService::DefaultSlideshowPath() {
    const std::string folder = GetUserDataDir() + "/Capture";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder + "/Capture.pdf";
}

bool CaptureService::capture(SceneRoot* root, const std::string& path, int width, int height,
                             bool selectedOnly) {
    const std::string ext = extensionOf(path);
    m_errorText.clear();
    m_errorDetail.clear();
    if (!root || path.empty())
        return endRecording();
    if (IsMoviePath(path))
        return addMovieFrame(*root, path, width, height, selectedOnly);
    if (ext != ".png" && ext != ".eps" && ext != ".pdf" && ext != ".svg") {
        m_errorText = kUnrecognized;
        return false;
    }
    CairoRenderer renderer;
    if (!renderer.initialise(width, height)) {
        m_errorText = "CaptureScreen error : '" + trimTrailingBlanks(renderer.getLastError()) + "'";
        return false;
    }
    if (m_hasCamera)
        renderer.setCamera(m_camera);
    std::string out = path;
    if (m_counter >= 0) {
        out = NumberedPath(path, m_counter);
        ++m_counter;
        m_seriesPath = path;
    }
    renderer.setBackground({1, 1, 1, 1});
    SceneObj* selection = root->getSelection();
    SceneObj& drawn = selectedOnly && selection ? *selection : *root;
    bool ok = false;
    if (ext == ".eps") {
        const Sorvex::MRect before = m_sharedBox;
        ok = renderer.render_eps(drawn, out, &m_sharedBox);
        m_sharedBoxChanged = m_sharedBoxChanged || !sameBox(before, m_sharedBox);
    } else if (ext == ".pdf") {
        ok = renderer.render_pdf(drawn, out);
    } else if (ext == ".svg") {
        ok = renderer.render_svg(drawn, out);
    } else {
        ok = renderer.render_png(drawn, out);
    }
    if (!ok)
        m_errorText = "CaptureScreen error : '" + trimTrailingBlanks(renderer.getLastError()) + "'";
    m_companionPath.clear();
    if (m_counter >= 0 && ok && selection)
        m_companionPath = insertBeforeExtension(out, "a");
    return ok;
}

bool CaptureService::endRecording() {
    const bool moviesFinished = finishMovies();
    // A numbered EPS series gets the box that holds every one of its pictures.
    if (m_counter > 0 && m_sharedBoxChanged && extensionOf(m_seriesPath) == ".eps") {
        std::vector<std::string> paths;
        std::error_code ec;
        for (int n = 0; n < m_counter; ++n)
            if (std::filesystem::exists(NumberedPath(m_seriesPath, n), ec))
                paths.push_back(NumberedPath(m_seriesPath, n));
        std::string error;
        if (!Renderer::updateEPSBBoxes(paths, m_sharedBox, &error))
            m_errorText = "CaptureScreen error : '" + error + "'";
    }
    m_sharedBoxChanged = false;
    return moviesFinished;
}

bool CaptureService::finishMovies() {
    bool ok = true;
    for (auto& [path, movie] : m_movies) {
        if (!movie->finish()) {
            m_errorText = "CaptureScreen error : '" + movie->getError() + "'";
            ok = false;
        }
    }
    m_movies.clear();
    return ok;
}

int CaptureService::getMovieFrameCount(const std::string& path) const {
    auto it = m_movies.find(path);
    return it == m_movies.end() ? -1 : it->second->getFrameCount();
}

std::optional<MovieCodec> CaptureService::chooseAviCodec() {
    if (std::optional<MovieCodec> stored = LoadStoredAviCodec())
        return stored;
    if (!m_codecChooser)
        return MovieCodec::Mpeg4;
    std::optional<MovieCodec> chosen = m_codecChooser();
    std::string error;
    if (chosen && !StoreAviCodec(*chosen, error))
        m_errorDetail = "the codec choice was not stored: " + error;
    return chosen;
}

bool CaptureService::addMovieFrame(SceneRoot& root, const std::string& path, int width, int height,
                                   bool selectedOnly) {
    const bool avi = extensionOf(path) == ".avi";
    auto failed = [&](const std::string& why) {
        // The broken movie leaves nothing behind; finished ones are kept.
        m_movies.erase(path);
        finishMovies();
        m_recording = false;
        m_errorText = avi ? "Unable to extend AVI" : "Unable to extend the movie";
        m_errorDetail = why;
        return false;
    };
    auto it = m_movies.find(path);
    if (it == m_movies.end()) {
        MovieCodec codec = MovieCodec::Mpeg4;
        if (avi) {
            const std::optional<MovieCodec> chosen = chooseAviCodec();
            if (!chosen)
                return failed("no codec was chosen");
            codec = *chosen;
        }
        auto movie = std::make_unique<MovieWriter>();
        if (!movie->open(path, width, height, codec))
            return failed(movie->getError());
        it = m_movies.emplace(path, std::move(movie)).first;
    }
    CairoRenderer renderer;
    if (!renderer.initialise(width, height))
        return failed(renderer.getLastError());
    if (m_hasCamera)
        renderer.setCamera(m_camera);
    renderer.setBackground({1, 1, 1, 1});
    // Movies are many pictures: drawn once, without the smoothing of single pictures.
    renderer.setSupersampling(1);
    SceneObj* selection = root.getSelection();
    SceneObj& drawn = selectedOnly && selection ? *selection : static_cast<SceneObj&>(root);
    std::vector<uint32_t> pixels;
    if (!renderer.render_image(drawn, pixels))
        return failed(renderer.getLastError());
    if (!it->second->addFrame(pixels.data(), width * 4))
        return failed(it->second->getError());
    return true;
}

void CaptureService::startSlideshow(const std::string& path, int width, int height,
                                    bool selectedOnly) {
    m_counter = FirstFreeNumber(path);
    m_recording = true;
    m_recordPath = path;
    m_recordWidth = width;
    m_recordHeight = height;
    m_recordSelectedOnly = selectedOnly;
    m_sharedBox = Sorvex::MRect();
    m_sharedBoxChanged = false;
}

void CaptureService::startMovie(const std::string& path, int width, int height, bool selectedOnly) {
    m_counter = -1;
    m_recording = true;
    m_recordPath = path;
    m_recordWidth = width;
    m_recordHeight = height;
    m_recordSelectedOnly = selectedOnly;
}

bool CaptureService::stopRecording() {
    const bool ok = capture(nullptr, std::string(), -1, -1, false);
    m_recording = false;
    m_counter = -1;
    m_seriesPath.clear();
    return ok;
}

bool CaptureService::captureFrame(SceneRoot* root) {
    if (!m_recording)
        return true;
    return capture(root, m_recordPath, m_recordWidth, m_recordHeight, m_recordSelectedOnly);
}
