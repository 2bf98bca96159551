// "vorn-cli render SCENE OUT [OPTIONS]": a picture of a scene, drawn
// headless by the file renderer.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/SceneDocument.h"

#include "scene/SceneRoot.h"
#include "scene/render/CairoRenderer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

int runRender(const std::vector<std::string>& args);

const CliCommand g_RenderCommand{
    "render",
    "draw a scene into a PNG, PDF, EPS or SVG file",
    "Usage: vorn-cli render SCENE OUT.(png|pdf|eps|svg) [OPTIONS]\n\n"
    "Opens SCENE and draws it on a white background, framed to fit, into OUT; the\n"
    "file type follows OUT's extension.\n",
    runRender,
    {{"--size", "WxH", "the picture in pixels (vector pages in points;\ndefault 1024x768)"},
     {"--view", "NAME",
      "front, back, left, right, top, bottom or iso; without it\n"
      "the scene's stored viewpoint is used when it has one,\nelse iso"}}};
const CliCommandRegistration g_RenderRegistration(g_RenderCommand);

struct Options {
    std::string scene;
    std::string out;
    int width = 1024;
    int height = 768;
    std::string view;
};

/// A whole number from 1 to INT_MAX written in digits only; false otherwise (overflow too).
bool parseSide(const std::string& text, int& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || n < 1 || n > std::numeric_limits<int>::max())
        return false;
    out = int(n);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string::npos || !parseSide(text.substr(0, x), w) ||
        !parseSide(text.substr(x + 1), h))
        return false;
    width = w;
    height = h;
    return true;
}

[[gnu::noinline]] bool parseOptions(const std::vector<std::string>& args, Options& options,
                                    int& exitCode) {
    CliArgs parsed;
    if (!CliParseArgs(g_RenderCommand, args, parsed, exitCode))
        return false;
    for (const auto& [arg, value] : parsed.given) {
        if (arg == "--view") {
            options.view = value;
        } else if (!parseSize(value, options.width, options.height)) {
            exitCode =
                CliUsageError(g_RenderCommand, "--size needs WIDTHxHEIGHT, not '" + value + "'");
            return false;
        }
    }
    const std::vector<std::string>& plain = parsed.plain;
    if (!CliCheckArgs(g_RenderCommand, plain, 2, 2, exitCode))
        return false;
    options.scene = plain[0];
    options.out = plain[1];
    return true;
}

int runRender(const std::vector<std::string>& args) {
    Options options;
    int exitCode = 0;
    if (!parseOptions(args, options, exitCode))
        return exitCode;
    const std::string ext = CliExtensionOf(options.out);
    if (ext != ".png" && ext != ".pdf" && ext != ".eps" && ext != ".svg")
        return CliUsageError(g_RenderCommand, "cannot tell the picture type of '" + options.out +
                                                  "' (use .png, .pdf, .eps or .svg)");

    SceneDocument document;
    if (!CliOpenDocument(document, options.scene))
        return kExitFailure;
    SceneRoot* root = document.getRoot();

    CairoRenderer renderer;
    if (!renderer.initialise(options.width, options.height))
        return CliFail(renderer.getLastError());
    renderer.setBackground({1, 1, 1, 1});
    Camera& camera = renderer.getCamera();
    if (!options.view.empty()) {
        if (!camera.setNamedView(options.view))
            return CliUsageError(g_RenderCommand, "unknown view '" + options.view + "'");
    } else if (root->getViewpoint().isValid()) {
        Camera stored = camera;
        stored.setViewpoint(root->getViewpoint());
        renderer.setCamera(stored);
    }
    bool ok = false;
    if (ext == ".png")
        ok = renderer.render_png(*root, options.out);
    else if (ext == ".pdf")
        ok = renderer.render_pdf(*root, options.out);
    else if (ext == ".eps")
        ok = renderer.render_eps(*root, options.out, nullptr);
    else
        ok = renderer.render_svg(*root, options.out);
    if (!ok)
        return CliFail(renderer.getLastError());
    std::printf("Wrote %s (%d x %d)\n", options.out.c_str(), options.width, options.height);
    return 0;
}

} // namespace
