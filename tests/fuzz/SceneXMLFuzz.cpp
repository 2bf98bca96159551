// Feeds arbitrary text through the scene document path: XML parse, scene
// read, and for scenes that read, write and parse again.
#include "common/XML.h"
#include "scene/SceneObj.h"
#include "vorn/core/SceneDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XML node;
    if (!node.parse(std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    SceneDocument document;
    std::string error;
    if (document.openNode(node, "fuzz.xml", error)) {
        // Whatever a scene wrote it must be able to read back.
        std::string text = document.toText();
        XML again;
        if (!again.parse(text)) {
            std::fprintf(stderr, "written scene does not parse: %s\n", again.getError().c_str());
            std::abort();
        }
        SceneDocument reread;
        if (!reread.openNode(again, "rewritten.xml", error)) {
            std::fprintf(stderr, "written scene does not read: %s\n", error.c_str());
            std::abort();
        }
    }
    SceneObj::ProcessDelayedOperations();
    return 0;
}
