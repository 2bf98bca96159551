// Conversion of XML trees to and from text and files.
#include "common/XML.h"

#include "common/AtomicFile.h"

#include <pugixml.hpp>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" ?>";
// Deeper documents are refused instead of exhausting the stack.
constexpr int kMaxDepth = 2000;
constexpr int kIndent = 2;

void appendCharRef(std::string& out, unsigned char c) {
    out += "&#";
    out += std::to_string(static_cast<unsigned>(c));
    out += ';';
}

bool isXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Characters written as they are in text content.
bool isPlainTextChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return c != '&' && c != '<' && c != '>' && (u >= 0x20 || c == '\n' || c == '\t');
}

// Characters written as they are in attribute values.
bool isPlainAttributeChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return c != '&' && c != '<' && c != '>' && c != '"' && u >= 0x20;
}

void appendEscaped(std::string& out, char c) {
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    case '"':
        out += "&quot;";
        break;
    default:
        appendCharRef(out, static_cast<unsigned char>(c));
    }
}

// Copies runs of plain characters in one piece; the rest as references.
template <typename IsPlain>
void appendWithEscapes(std::string& out, std::string_view text, IsPlain isPlain) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isPlain(text[i]))
            continue;
        out.append(text.data() + start, i - start);
        appendEscaped(out, text[i]);
        start = i + 1;
    }
    out.append(text.data() + start, text.size() - start);
}

// Text content. Raw '\r' would become '\n' by line-end normalisation, and text
// made only of blanks would be dropped as layout between elements, so both
// are written as character references.
void appendText(std::string& out, const std::string& text) {
    bool allBlank = true;
    for (char c : text)
        allBlank = allBlank && isXmlBlank(c);
    if (allBlank) {
        for (char c : text)
            appendCharRef(out, static_cast<unsigned char>(c));
        return;
    }
    appendWithEscapes(out, text, isPlainTextChar);
}

// Attribute values: raw tabs and line breaks would be read back as blanks.
void appendAttributeValue(std::string& out, const std::string& value) {
    appendWithEscapes(out, value, isPlainAttributeChar);
}

void appendElement(std::string& out, const XML& node, int depth, bool compact,
                   bool indentOpening = true) {
    if (!compact && indentOpening)
        out.append(static_cast<std::size_t>(depth * kIndent), ' ');
    out += '<';
    out += node.getName();
    for (const auto& [name, value] : node.getAttributes()) {
        out += ' ';
        out += name;
        out += "=\"";
        appendAttributeValue(out, value);
        out += '"';
    }
    if (node.getText().empty() && node.getChildCount() == 0) {
        out += compact ? "/>" : "/>\n";
        return;
    }
    out += '>';
    appendText(out, node.getText());
    if (node.getChildCount() > 0) {
        // With text, the first child follows it directly so that no layout
        // blanks join the text.
        bool first = true;
        for (const XML& child : node) {
            if (first && !node.getText().empty()) {
                appendElement(out, child, depth + 1, compact, false);
            } else {
                if (first && !compact)
                    out += '\n';
                appendElement(out, child, depth + 1, compact);
            }
            first = false;
        }
        if (!compact)
            out.append(static_cast<std::size_t>(depth * kIndent), ' ');
    }
    out += "</";
    out += node.getName();
    out += compact ? ">" : ">\n";
}

// An upper-bound-ish guess of the written size, so that the output buffer is
// allocated once: growing a buffer of megabytes step by step costs more than
// writing it.
std::size_t estimateSize(const XML& node, int depth) {
    std::size_t size = 2 * node.getName().size() + node.getText().size() + 8 +
                       static_cast<std::size_t>(depth * kIndent) * 2;
    for (const auto& [name, value] : node.getAttributes())
        size += name.size() + value.size() + 4;
    for (const XML& child : node)
        size += estimateSize(child, depth + 1);
    return size;
}

const char* describe(pugi::xml_parse_status status) {
    switch (status) {
    case pugi::status_out_of_memory:
        return "out of memory";
    case pugi::status_unrecognized_tag:
        return "unrecognized tag";
    case pugi::status_bad_pi:
        return "bad processing instruction";
    case pugi::status_bad_comment:
        return "bad comment";
    case pugi::status_bad_cdata:
        return "bad CDATA section";
    case pugi::status_bad_doctype:
        return "bad document type declaration";
    case pugi::status_bad_pcdata:
        return "bad text";
    case pugi::status_bad_start_element:
        return "bad start tag";
    case pugi::status_bad_attribute:
        return "bad attribute";
    case pugi::status_bad_end_element:
        return "bad end tag";
    case pugi::status_end_element_mismatch:
        return "mismatched end tag";
    case pugi::status_no_document_element:
        return "no document element";
    default:
        return "not an XML document";
    }
}

int lineAt(std::string_view text, std::ptrdiff_t offset) {
    if (offset < 0)
        return 1;
    std::size_t end = std::min(text.size(), static_cast<std::size_t>(offset));
    int line = 1;
    for (std::size_t i = 0; i < end; ++i)
        line += text[i] == '\n';
    return line;
}

struct ParseFailure {
    int line = 1;
    std::string reason;
};

/// Copies the element's attributes in order; a repeated name keeps its first place and takes
/// the last value, as setAttribute would. Linear in the attribute count (setAttribute looks
/// each name up, which is quadratic for an element with a million attributes).
void copyAttributes(const pugi::xml_node& source, XML& target) {
    std::vector<XML::Attribute> attributes;
    std::unordered_map<std::string_view, std::size_t> position;
    for (const pugi::xml_attribute& attribute : source.attributes()) {
        const std::string_view name = attribute.name();
        auto [it, added] = position.try_emplace(name, attributes.size());
        if (added)
            attributes.emplace_back(std::string(name), attribute.value());
        else
            attributes[it->second].second = attribute.value();
    }
    target.setAttributes(std::move(attributes));
}

bool convert(const pugi::xml_node& source, XML& target, int depth, ParseFailure& failure,
             std::string_view text) {
    if (depth > kMaxDepth) {
        failure = {lineAt(text, source.offset_debug()), "elements nested too deeply"};
        return false;
    }
    target.setName(source.name());
    copyAttributes(source, target);
    std::string content;
    for (const pugi::xml_node& child : source.children()) {
        switch (child.type()) {
        case pugi::node_pcdata:
        case pugi::node_cdata:
            content += child.value();
            break;
        case pugi::node_element:
            if (!convert(child, *target.add(std::string_view()), depth + 1, failure, text))
                return false;
            break;
        default:
            break;
        }
    }
    target.setText(content);
    return true;
}

bool parseText(std::string_view text, XML& result, ParseFailure& failure) {
    if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        failure = {lineAt(text, static_cast<std::ptrdiff_t>(nul)), "not a text file"};
        return false;
    }
    pugi::xml_document doc;
    pugi::xml_parse_result parsed =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        failure = {lineAt(text, parsed.offset), describe(parsed.status)};
        return false;
    }
    pugi::xml_node root;
    for (const pugi::xml_node& node : doc.children()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            failure = {lineAt(text, node.offset_debug()), "text outside the root element"};
            return false;
        }
        if (node.type() != pugi::node_element)
            continue;
        if (root) {
            failure = {lineAt(text, node.offset_debug()), "more than one root element"};
            return false;
        }
        root = node;
    }
    if (!root) {
        failure = {lineAt(text, static_cast<std::ptrdiff_t>(text.size())), "no document element"};
        return false;
    }
    return convert(root, result, 0, failure, text);
}

const XML* findInvalidName(const XML& node) {
    if (!XML::IsValidName(node.getName()))
        return &node;
    for (const auto& attribute : node.getAttributes())
        if (!XML::IsValidName(attribute.first))
            return &node;
    for (const XML& child : node)
        if (const XML* bad = findInvalidName(child))
            return bad;
    return nullptr;
}

} // namespace

std::string XML::toString() const {
    std::string out;
    out.reserve(estimateSize(*this, 0) + 32);
    out += kDeclaration;
    out += '\n';
    appendElement(out, *this, 0, false);
    return out;
}

std::string XML::toCompactString() const {
    std::string out;
    out.reserve(estimateSize(*this, 0) + 32);
    out += kDeclaration;
    out += '\n';
    appendElement(out, *this, 0, true);
    return out;
}

bool XML::parse(std::string_view text) {
    XML result;
    ParseFailure failure;
    if (!parseText(text, result, failure)) {
        setError("line " + std::to_string(failure.line) + ": " + failure.reason);
        return false;
    }
    *this = std::move(result);
    return true;
}

bool XML::fromFile(const std::string& path) {
    std::string text, error;
    if (!ReadWholeFile(path, text, &error)) {
        setError(error);
        return false;
    }
    XML result;
    ParseFailure failure;
    if (!parseText(text, result, failure)) {
        setError(path + ":" + std::to_string(failure.line) + ": " + failure.reason);
        return false;
    }
    *this = std::move(result);
    return true;
}

bool XML::toFile(const std::string& path, bool compact) const {
    if (const XML* bad = findInvalidName(*this)) {
        setError(path + ": cannot write element '" + bad->getName() + "': not a valid XML name");
        return false;
    }
    std::string error;
    if (!WriteFileAtomically(path, compact ? toCompactString() : toString(), &error)) {
        setError(error);
        return false;
    }
    m_error.clear();
    return true;
}
