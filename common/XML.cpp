#include "common/XML.h"

#include "common/TextUtil.h"

#include <cmath>
#include <limits>

XML::XML(std::string_view name) : m_name(name) {}

XML::XML(std::string_view name, std::string_view text) : m_name(name), m_text(text) {}

XML::XML(const XML& other) {
    copyFrom(other);
}

XML::~XML() = default;

XML& XML::operator=(const XML& other) {
    if (this != &other) {
        // Copy first: `other` may be one of our own descendants.
        XML copy(other);
        *this = std::move(copy);
    }
    return *this;
}

XML& XML::operator=(XML&& other) noexcept {
    if (this != &other) {
        m_name = std::move(other.m_name);
        m_text = std::move(other.m_text);
        m_attributes = std::move(other.m_attributes);
        // Moving the children vector first keeps `other` alive even when it
        // is a descendant of this node.
        Children moved = std::move(other.m_children);
        m_children = std::move(moved);
        m_error.clear();
    }
    return *this;
}

void XML::copyFrom(const XML& other) {
    m_name = other.m_name;
    m_text = other.m_text;
    m_attributes = other.m_attributes;
    m_children.clear();
    m_children.reserve(other.m_children.size());
    for (const auto& child : other.m_children)
        m_children.push_back(std::make_unique<XML>(*child));
}

XML& XML::operator=(std::string_view text) {
    m_text = text;
    return *this;
}

XML& XML::operator=(const char* text) {
    m_text = text ? text : "";
    return *this;
}

XML& XML::operator=(double value) {
    m_text = formatDouble(value);
    return *this;
}

XML& XML::operator=(bool value) {
    m_text = value ? "true" : "false";
    return *this;
}

int XML::asInt(int def) const {
    int value = def;
    if (parseInt(m_text, value))
        return value;
    // Numbers written as decimals ("3.0") still read as integers.
    double real = 0;
    if (parseDouble(m_text, real) && std::isfinite(real) &&
        real >= std::numeric_limits<int>::min() && real <= std::numeric_limits<int>::max())
        return static_cast<int>(real);
    return def;
}

double XML::asDouble(double def) const {
    double value = def;
    return parseDouble(m_text, value) ? value : def;
}

bool XML::asBool(bool def) const {
    if (m_text == "true")
        return true;
    if (m_text == "false")
        return false;
    return def;
}

XML* XML::add(std::string_view name) {
    return add(std::make_unique<XML>(name));
}

XML* XML::add(std::string_view name, std::string_view text) {
    return add(std::make_unique<XML>(name, text));
}

XML* XML::add(std::string_view name, const char* text) {
    return add(name, std::string_view(text ? text : ""));
}

XML* XML::add(std::string_view name, double value) {
    return add(name, std::string_view(formatDouble(value)));
}

XML* XML::add(std::string_view name, bool value) {
    return add(name, std::string_view(value ? "true" : "false"));
}

XML* XML::add(XML* child) {
    return add(std::unique_ptr<XML>(child));
}

XML* XML::add(std::unique_ptr<XML> child) {
    if (!child || child.get() == this)
        return nullptr;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

XML& XML::operator[](std::string_view name) {
    if (XML* found = child(name))
        return *found;
    return *add(name);
}

XML* XML::child(std::string_view name) {
    for (auto& c : m_children)
        if (c->m_name == name)
            return c.get();
    return nullptr;
}

const XML* XML::child(std::string_view name) const {
    for (const auto& c : m_children)
        if (c->m_name == name)
            return c.get();
    return nullptr;
}

bool XML::getField(std::string_view name, XML** out) {
    XML* found = child(name);
    if (out)
        *out = found;
    return found != nullptr;
}

bool XML::getField(std::string_view name, const XML** out) const {
    const XML* found = child(name);
    if (out)
        *out = found;
    return found != nullptr;
}

int XML::fieldAsInt(std::string_view name, int def) const {
    const XML* found = child(name);
    return found ? found->asInt(def) : def;
}

double XML::fieldAsDouble(std::string_view name, double def) const {
    const XML* found = child(name);
    return found ? found->asDouble(def) : def;
}

std::string XML::getAttribute(std::string_view name) const {
    for (const auto& [key, value] : m_attributes)
        if (key == name)
            return value;
    return std::string();
}

bool XML::hasAttribute(std::string_view name) const {
    for (const auto& attribute : m_attributes)
        if (attribute.first == name)
            return true;
    return false;
}

void XML::setAttribute(std::string_view name, std::string_view value) {
    for (auto& [key, old] : m_attributes) {
        if (key == name) {
            old = value;
            return;
        }
    }
    m_attributes.emplace_back(std::string(name), std::string(value));
}

void XML::setAttribute(std::string_view name, const char* value) {
    setAttribute(name, std::string_view(value ? value : ""));
}

void XML::setAttribute(std::string_view name, int value) {
    setAttribute(name, std::string_view(std::to_string(value)));
}

bool XML::remove(std::string_view name) {
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if ((*it)->m_name == name) {
            m_children.erase(it);
            return true;
        }
    }
    return false;
}

void XML::clear() {
    m_text.clear();
    m_attributes.clear();
    m_children.clear();
}

bool XML::IsValidName(std::string_view name) {
    if (name.empty())
        return false;
    auto isStart = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
               c >= 0x80;
    };
    if (!isStart(static_cast<unsigned char>(name[0])))
        return false;
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (!isStart(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.')
            return false;
    }
    return true;
}
