// "vorn-cli convert IN OUT": any readable scene or model file to a scene
// document (.xml) or an OFF mesh (.off), chosen by OUT's extension.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/SceneDocument.h"

#include <cstdio>

namespace {

int runConvert(const std::vector<std::string>& args);

const CliCommand g_ConvertCommand{
    "convert", "convert a scene or model file to a scene .xml or an .off mesh",
    "Usage: vorn-cli convert IN OUT\n\n"
    "Opens IN (a scene .xml or a mesh .off, .obj, .stl, .ply) and writes OUT:\n"
    "  OUT.xml  the whole scene as a scene document\n"
    "  OUT.off  the target mesh (the selected mesh, else the first mesh of the\n"
    "           scene) in the Object File Format\n"
    "OUT is replaced only when writing succeeds.\n",
    runConvert};
const CliCommandRegistration g_ConvertRegistration(g_ConvertCommand);

int runConvert(const std::vector<std::string>& args) {
    int exitCode = 0;
    if (!CliCheckArgs(g_ConvertCommand, args, 2, 2, exitCode))
        return exitCode;
    const std::string& out = args[1];
    std::string ext = CliExtensionOf(out);
    if (ext != ".xml" && ext != ".off")
        return CliUsageError(g_ConvertCommand,
                             "cannot write '" + out + "': use a .xml or .off name");
    SceneDocument document;
    if (!CliOpenDocument(document, args[0]))
        return kExitFailure;
    std::string error;
    bool written = ext == ".xml" ? document.save(out, error) : document.exportOff(out, error);
    if (!written)
        return CliFail(error);
    std::printf("Wrote %s\n", out.c_str());
    return 0;
}

} // namespace
