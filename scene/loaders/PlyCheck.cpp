#include "scene/loaders/PlyCheck.h"

#include "scene/loaders/TextScanner.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Format { Ascii, BinaryLittle, BinaryBig };

struct Property {
    bool isList = false;
    int countSize = 0; // bytes of a list's length (lists only)
    bool countSigned = false;
    int size = 0; // bytes of a value
};

struct Element {
    std::string name;
    uint64_t count = 0;
    std::vector<Property> properties;
};

/// Size in bytes of a PLY scalar type; 0 for an unknown name.
int typeSize(std::string_view type, bool* isSigned = nullptr) {
    struct Type {
        std::string_view name;
        int size;
        bool isSigned;
    };
    static const Type kTypes[] = {
        {"char", 1, true},  {"uchar", 1, false},  {"short", 2, true},   {"ushort", 2, false},
        {"int", 4, true},   {"uint", 4, false},   {"float", 4, true},   {"double", 8, true},
        {"int8", 1, true},  {"uint8", 1, false},  {"int16", 2, true},   {"uint16", 2, false},
        {"int32", 4, true}, {"uint32", 4, false}, {"float32", 4, true}, {"float64", 8, true}};
    for (const Type& t : kTypes)
        if (t.name == type) {
            if (isSigned)
                *isSigned = t.isSigned;
            return t.size;
        }
    return 0;
}

class PlyChecker {
public:
    PlyChecker(std::string_view bytes, MeshParseError& error) : m_bytes(bytes), m_error(error) {}

    bool check() {
        return readHeader() && (m_format == Format::Ascii ? checkAscii() : checkBinary());
    }

private:
    bool fail(int line, std::string message) {
        m_error.line = line;
        m_error.message = "PLY: " + std::move(message);
        return false;
    }
    bool nextLine(std::string_view& line);
    bool readHeader();
    bool readHeaderLine(std::string_view line);
    bool checkAscii();
    bool checkBinary();
    uint64_t readCount(size_t pos, const Property& p) const;

    std::string_view m_bytes;
    MeshParseError& m_error;
    size_t m_pos = 0;
    int m_line = 0;
    Format m_format = Format::Ascii;
    std::vector<Element> m_elements;
};

bool PlyChecker::nextLine(std::string_view& line) {
    if (m_pos >= m_bytes.size())
        return false;
    size_t end = m_bytes.find('\n', m_pos);
    if (end == std::string_view::npos)
        end = m_bytes.size();
    line = m_bytes.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_pos = end + 1;
    ++m_line;
    return true;
}

bool PlyChecker::readHeader() {
    std::string_view line;
    if (!nextLine(line) || (line != "ply" && line != "PLY"))
        return fail(1, "the file does not start with 'ply'");
    if (!nextLine(line))
        return fail(0, "no format line");
    TextScanner words(line);
    words.nextContentLine();
    std::string_view keyword = words.nextToken(), format = words.nextToken();
    double version = 0;
    if (keyword != "format" || !ParseNumber(words.nextToken(), version) || !words.atLineEnd())
        return fail(2, "expected 'format ascii|binary_little_endian|binary_big_endian 1.0'");
    if (format == "ascii")
        m_format = Format::Ascii;
    else if (format == "binary_little_endian")
        m_format = Format::BinaryLittle;
    else if (format == "binary_big_endian")
        m_format = Format::BinaryBig;
    else
        return fail(2, "unknown format '" + std::string(format.substr(0, 32)) + "'");
    uint64_t rows = 0;
    while (nextLine(line)) {
        if (line == "end_header") {
            // Every row takes at least one byte: counts past the file size are wrong.
            uint64_t rest = m_bytes.size() > m_pos ? m_bytes.size() - m_pos : 0;
            for (const Element& e : m_elements)
                if ((rows += e.count) > rest)
                    return fail(m_line, "the element counts need more data than the file holds");
            return true;
        }
        if (!readHeaderLine(line))
            return false;
    }
    return fail(0, "no 'end_header' line");
}

bool PlyChecker::readHeaderLine(std::string_view line) {
    TextScanner words(line);
    if (!words.nextContentLine())
        return true;
    std::string_view keyword = words.nextToken();
    if (keyword == "comment" || keyword == "obj_info")
        return true;
    if (keyword == "element") {
        Element e;
        e.name = words.nextToken();
        if (e.name.empty() || !ParseNumber(words.nextToken(), e.count))
            return fail(m_line, "expected 'element NAME COUNT'");
        m_elements.push_back(std::move(e));
        return true;
    }
    if (keyword != "property")
        return fail(m_line, "unknown header keyword");
    if (m_elements.empty())
        return fail(m_line, "property before any element");
    Property p;
    std::string_view type = words.nextToken();
    if (type == "list") {
        p.isList = true;
        p.countSize = typeSize(words.nextToken(), &p.countSigned);
        p.size = typeSize(words.nextToken());
        if (p.countSize == 0 || p.size == 0)
            return fail(m_line, "unknown list property type");
    } else if ((p.size = typeSize(type)) == 0) {
        return fail(m_line, "unknown property type");
    }
    if (words.nextToken().empty())
        return fail(m_line, "property without a name");
    m_elements.back().properties.push_back(p);
    return true;
}

bool PlyChecker::checkAscii() {
    TextScanner body(m_bytes.substr(m_pos));
    const int headerLines = m_line;
    for (const Element& e : m_elements)
        for (uint64_t row = 0; row < e.count; ++row) {
            if (!body.nextContentLine())
                return fail(0, "the file ends inside element '" + e.name + "'");
            int line = headerLines + body.lineNumber();
            for (const Property& p : e.properties) {
                double value = 0;
                if (!ParseNumber(body.nextToken(), value))
                    return fail(line, "expected a number in element '" + e.name + "'");
                if (!p.isList)
                    continue;
                // A list length must be a whole number of values present on the line.
                if (value < 0 || value > 1e15 || value != std::floor(value))
                    return fail(line, "bad list length in element '" + e.name + "'");
                const uint64_t length = uint64_t(value);
                for (uint64_t k = 0; k < length; ++k)
                    if (!ParseNumber(body.nextToken(), value))
                        return fail(line,
                                    "list shorter than its length in element '" + e.name + "'");
            }
            if (!body.atLineEnd())
                return fail(line, "more values than properties in element '" + e.name + "'");
        }
    return true;
}

uint64_t PlyChecker::readCount(size_t pos, const Property& p) const {
    unsigned char raw[4] = {0, 0, 0, 0};
    std::memcpy(raw, m_bytes.data() + pos, size_t(p.countSize));
    uint64_t value = 0;
    for (int k = 0; k < p.countSize; ++k) {
        int byte = m_format == Format::BinaryLittle ? p.countSize - 1 - k : k;
        value = (value << 8) | raw[byte];
    }
    uint64_t signBit = uint64_t(1) << (8 * p.countSize - 1);
    if (p.countSigned && (value & signBit))
        return UINT64_MAX; // a negative length
    return value;
}

bool PlyChecker::checkBinary() {
    const size_t end = m_bytes.size();
    size_t pos = m_pos;
    for (const Element& e : m_elements)
        for (uint64_t row = 0; row < e.count; ++row)
            for (const Property& p : e.properties) {
                if (!p.isList) {
                    if (end - pos < size_t(p.size))
                        return fail(0, "the file ends inside element '" + e.name + "'");
                    pos += size_t(p.size);
                    continue;
                }
                if (end - pos < size_t(p.countSize))
                    return fail(0, "the file ends inside element '" + e.name + "'");
                uint64_t count = readCount(pos, p);
                pos += size_t(p.countSize);
                if (count > (end - pos) / uint64_t(p.size))
                    return fail(0, "a list in element '" + e.name +
                                       "' is longer than the rest of the file");
                pos += size_t(count) * size_t(p.size);
            }
    return true;
}

} // namespace

bool CheckPlyFile(std::string_view bytes, MeshParseError& error) {
    return PlyChecker(bytes, error).check();
}
