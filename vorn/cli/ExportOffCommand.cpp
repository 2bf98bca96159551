// "vorn-cli export-off SCENE OUT.off": the target mesh of a scene as OFF.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/SceneDocument.h"

#include <cstdio>

namespace {

int runExportOff(const std::vector<std::string>& args);

const CliCommand g_ExportOffCommand{
    "export-off", "write the target mesh of a scene as an .off file",
    "Usage: vorn-cli export-off SCENE OUT.off\n\n"
    "Opens SCENE and writes its target mesh to OUT.off: the selected mesh (a\n"
    "scene holding a single object selects it), climbing to the outermost\n"
    "mesh that holds it, else the first mesh at the top of the scene.\n"
    "Fails when the scene holds no mesh.\n",
    runExportOff};
const CliCommandRegistration g_ExportOffRegistration(g_ExportOffCommand);

int runExportOff(const std::vector<std::string>& args) {
    int exitCode = 0;
    if (!CliCheckArgs(g_ExportOffCommand, args, 2, 2, exitCode))
        return exitCode;
    SceneDocument document;
    if (!CliOpenDocument(document, args[0]))
        return kExitFailure;
    std::string error;
    if (!document.exportOff(args[1], error))
        return CliFail(error);
    std::printf("Wrote %s\n", args[1].c_str());
    return 0;
}

} // namespace
