#include "scene/SceneObj.h"

#include "scene/SceneReadReport.h"
#include "common/XML.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr const char* TransformElement = "Transform";
constexpr const char* ChildrenElement = "Children";

bool isIdentity(const Sorvex::M4x4& m) {
    const Sorvex::M4x4 identity;
    for (int i = 0; i < 16; ++i)
        if (m.data()[i] != identity.data()[i])
            return false;
    return true;
}

// Sixteen values in storage order; "%.17g" gives every double back bit for bit.
std::string transformText(const Sorvex::M4x4& m) {
    std::string text;
    char buf[32];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %.17g" : "%.17g", m.data()[i]);
        text += buf;
    }
    return text;
}

Sorvex::M4x4 parseTransform(const std::string& text) {
    double values[16];
    const char* p = text.c_str();
    for (int i = 0; i < 16; ++i) {
        char* end = nullptr;
        values[i] = std::strtod(p, &end);
        if (end == p)
            throw SceneReadError("Transform: expected 16 numbers, found " + std::to_string(i));
        if (!std::isfinite(values[i]))
            throw SceneReadError("Transform: value " + std::to_string(i + 1) + " is not finite");
        p = end;
    }
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
        ++p;
    if (*p)
        throw SceneReadError("Transform: more than 16 numbers");
    return Sorvex::M4x4(values);
}

} // namespace

void SceneObj::read(XML& xml) {
    // Everything is read and checked before this object changes.
    Sorvex::M4x4 transform = m_transform;
    if (const XML* t = xml.child(TransformElement))
        transform = parseTransform(t->getText());

    std::vector<std::unique_ptr<SceneObj>> children;
    if (XML* list = xml.child(ChildrenElement)) {
        for (XML& element : *list) {
            std::unique_ptr<Factorable> built(Factory::BuildObj(element.getName()));
            auto* obj = dynamic_cast<SceneObj*>(built.get());
            if (!obj) {
                // A class this program does not know, or not a scene object.
                SceneReadReport::NoteSkipped(element.getName());
                continue;
            }
            built.release();
            children.emplace_back(obj);
            obj->read(element);
        }
    }

    m_transform = transform;
    // A child the tree refuses (a root nested in a scene, say) is dropped
    // rather than leaked.
    for (std::unique_ptr<SceneObj>& child : children)
        if (child->setParent(this))
            child.release();
}

void SceneObj::write(XML& xml) {
    if (!isIdentity(m_transform))
        xml.add(TransformElement, std::string_view(transformText(m_transform)));
    XML* list = nullptr;
    for (SceneObj* child : m_children) {
        if (!child->canSave())
            continue;
        if (!list)
            list = xml.add(ChildrenElement);
        child->write(*list->add(child->getClassName()));
    }
}

bool SceneObj::readBool(XML& xml, const char* name, bool def) {
    const XML* e = xml.child(name);
    return e ? e->getText() == "true" : def;
}

int SceneObj::readInt(XML& xml, const char* name, int def) {
    const XML* e = xml.child(name);
    return e ? e->asInt(def) : def;
}

double SceneObj::readDouble(XML& xml, const char* name, double def) {
    const XML* e = xml.child(name);
    return e ? e->asDouble(def) : def;
}

Sorvex::M3d SceneObj::readVector(XML& xml, const char* name, const Sorvex::M3d& def) {
    const XML* e = xml.child(name);
    Sorvex::M3d v = def;
    if (e && !v.fromText(e->getText().c_str()))
        return def;
    return v;
}

SceneObj* SceneObj::clone() {
    std::unique_ptr<Factorable> built(Factory::BuildObj(getClassName()));
    auto* copy = dynamic_cast<SceneObj*>(built.get());
    if (!copy)
        return nullptr;
    XML xml(getClassName());
    write(xml);
    try {
        copy->read(xml);
    } catch (const SceneReadError&) {
        return nullptr;
    }
    built.release();
    copy->m_transform = m_transform;
    if (m_parent)
        copy->setParent(m_parent);
    copy->onBeingCloned(this);
    return copy;
}
