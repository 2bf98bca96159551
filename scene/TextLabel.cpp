#include "scene/TextLabel.h"

#include "common/XML.h"
#include "scene/Renderer.h"

#include <utility>

VORN_DEFINE_FACTORY(TextLabel, "SceneObj")

TextLabel::TextLabel(std::string text) : m_text(std::move(text)) {}

void TextLabel::setText(std::string text) {
    if (text == m_text)
        return;
    m_text = std::move(text);
    onChanged(false);
}

void TextLabel::renderSelf(Renderer* r) {
    r->renderText(Sorvex::M3d(0, 0, 0), m_text);
}

void TextLabel::read(XML& xml) {
    SceneObj::read(xml);
    if (XML* text = xml.child("Text"))
        m_text = text->getText();
}

void TextLabel::write(XML& xml) {
    SceneObj::write(xml);
    xml.add("Text", m_text);
}
