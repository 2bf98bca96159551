#include "common/XML.h"
#include "unfolders/engine/Unfolder.h"

void Unfolder::write(XML& xml) {
    // The net is not stored: a loaded unfolder unfolds again once bound.
    PolyMesh::write(xml);
    for (const char* list : {"Vertices", "Faces"}) {
        if (XML* node = xml.child(list))
            node->clear();
    }
    xml.add("DrawLines", drawLines);
    xml.add("DrawBSP", drawBSP);
    xml.add("DrawHull", drawHull);
    xml.add("DrawCutGraph", drawCutGraph);
    xml.add("DrawConflict", drawConflict);
    xml.add("ShowUnfoldingInScene", showUnfoldingInScene);
    xml.add("CheckIntersections", checkIntersections);
}

void Unfolder::read(XML& xml) {
    const bool replacesNet = xml.child("Vertices") || xml.child("Faces");
    PolyMesh::read(xml);
    if (replacesNet) {
        // The old net faces are gone: index the ones read (none, as written).
        unfoldingRoot = nullptr;
        resetFaceBoxTree();
        for (Poly* f : getPolys())
            addToFaceBoxTree(f);
    }
    drawLines = readBool(xml, "DrawLines", drawLines);
    drawBSP = readBool(xml, "DrawBSP", drawBSP);
    drawHull = readBool(xml, "DrawHull", drawHull);
    drawCutGraph = readBool(xml, "DrawCutGraph", drawCutGraph);
    drawConflict = readBool(xml, "DrawConflict", drawConflict);
    showUnfoldingInScene = readBool(xml, "ShowUnfoldingInScene", showUnfoldingInScene);
    checkIntersections = readBool(xml, "CheckIntersections", checkIntersections);
    autoAnimate = readBool(xml, "AutoAnimateUnfolding", autoAnimate);
    if (autoAnimate)
        convertToAnimation(false);
}
