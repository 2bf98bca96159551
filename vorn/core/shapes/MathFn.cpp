#include "vorn/core/shapes/MathFn.h"

#include "common/Registry.h"
#include "common/XML.h"
#include "vorn/core/shapes/IllFlattenedCube.h"
#include "vorn/core/shapes/MathFnBuilders.h"
#include "vorn/core/shapes/RandomConvex.h"
#include "vorn/core/shapes/ShapeParams.h"

#include <algorithm>

VORN_DEFINE_FACTORY(MathFn, "PolyMesh")

const std::vector<MathFnShape>& GetMathFnShapes() {
    static const std::vector<MathFnShape> shapes = {
        {1007, "Saddlepoint"},
        {1008, "Valley"},
        {1009, "Torus"},
        {1010, "Sphere"},
        {1011, "Pl\xC3\xBC"
               "cker's Conoid"},
        {1012, "Double-twisted Half-torus"},
        {1013, "Half-torus"},
        {1014, "Steinbach Screw"},
        {1016, "Spun Parabola"},
        {1018, "Ill-flattened cube"},
        {1019, "Twisted Half-torus"},
        {1020, "Twisted Torus"},
        {1021, "Zipper"},
        {1045, "Negative Vertex"},
        {1046, "Cone"},
        {1047, "Simplicial Sphere"},
        {1049, "Random Convex"},
        {1050, "e-banded Icosahedron"},
    };
    return shapes;
}

MathFn::MathFn() {
    setRenderFaceEdges(true);
    setRenderBackFaces(true);
    rebuild(GetProfileInt(kMathFnSection, "which", 1010), GetProfileInt(kMathFnSection, "du", 4),
            GetProfileInt(kMathFnSection, "dv", 3));
}

void MathFn::rebuild(int which, int du, int dv) {
    du = std::max(du, 2);
    dv = std::max(dv, 2);
    if (which == m_which && du == m_du && dv == m_dv)
        return;
    m_which = which;
    m_du = du;
    m_dv = dv;
    StoreSettings(kMathFnSection,
                  {IntSetting("which", which), IntSetting("du", du), IntSetting("dv", dv)});
    deleteMadeChildren();
    clear();
    const std::size_t childrenBefore = getChildren().size();
    switch (which) {
    case 1018:
        BuildIllFlattenedCube(*this, du, dv);
        break;
    case 1021:
        BuildZipper(*this, du);
        break;
    case 1045:
        BuildNegativeVertex(*this, du, dv);
        break;
    case 1046:
        BuildCone(*this, du, dv);
        break;
    case 1047:
        BuildSimplicialSphere(*this, du, dv);
        break;
    case 1049:
        BuildRandomConvex(*this, 3 * du, 1.0);
        break;
    case 1050:
        BuildBandedIcosahedron(*this, du);
        break;
    default:
        BuildMathFnGrid(*this, which, du, dv);
        break;
    }
    adoptChildrenFrom(childrenBefore, false);
    onChanged(true);
}

void MathFn::read(XML& xml) {
    deleteMadeChildren();
    const std::size_t childrenBefore = getChildren().size();
    PolyMesh::read(xml);
    if (m_which == 1018)
        adoptChildrenFrom(childrenBefore, true);
}

void MathFn::adoptChildrenFrom(std::size_t first, bool netAndLabelOnly) {
    const auto& children = getChildren();
    for (std::size_t i = first; i < children.size(); ++i) {
        const std::string_view name = children[i]->getClassName();
        if (netAndLabelOnly && name != "PolyMesh" && name != "TextLabel")
            continue;
        m_madeChildren.push_back(children[i]);
        children[i]->addChangeListener(this);
    }
}

void MathFn::deleteMadeChildren() {
    // Each deletion reaches onTargetDestroyed, which edits the list: work on a copy.
    const std::vector<SceneObj*> made = std::move(m_madeChildren);
    m_madeChildren.clear();
    for (SceneObj* child : made) {
        child->remChangeListener(this);
        delete child;
    }
}

void MathFn::onTargetDestroyed(SceneObj* target) {
    std::erase(m_madeChildren, target);
    PolyMesh::onTargetDestroyed(target);
}

void MathFn::write(XML& xml) {
    PolyMesh::write(xml);
    xml.setName("PolyMesh");
}
