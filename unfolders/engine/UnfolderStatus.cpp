#include "unfolders/engine/UnfolderStatus.h"

#include <cstdio>

#include "unfolders/engine/Unfolder.h"

namespace {

int sourceFaceCount(const Unfolder& u) {
    return u.getSource() ? int(u.getSource()->getPolyCount()) : 0;
}

} // namespace

std::string GetUnfolderResultText(Unfolder& u) {
    const int netFaces = int(u.getPolyCount());
    const int sourceFaces = sourceFaceCount(u);
    const int conflicted = int(u.getConflicts().getVertexCount());
    char text[64];
    if (u.isSuccesful())
        return "Success";
    if (!u.isDone())
        std::snprintf(text, sizeof text, "%4.2f%%", u.getProgress() * 100.0);
    else
        std::snprintf(text, sizeof text, "Fail (%4.2f%%)",
                      sourceFaces ? (netFaces - conflicted) * 100.0 / sourceFaces : 0.0);
    return text;
}

std::string GetUnfolderCountText(Unfolder& u) {
    const int netFaces = int(u.getPolyCount());
    const int sourceFaces = sourceFaceCount(u);
    char text[96];
    std::snprintf(text, sizeof text, "%i / %i (%4.2f%%)", netFaces, sourceFaces,
                  sourceFaces ? netFaces * 100.0 / sourceFaces : 0.0);
    return text;
}
