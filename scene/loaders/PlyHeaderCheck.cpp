#include "scene/loaders/PlyHeaderCheck.h"

#include "scene/loaders/TextScanner.h"

#include <array>
#include <cstdint>
#include <string>

namespace {

constexpr std::array<std::string_view, 16> kTypes = {
    "char", "uchar", "short", "ushort", "int",   "uint",   "float",   "double",
    "int8", "uint8", "int16", "uint16", "int32", "uint32", "float32", "float64"};

bool isType(std::string_view token) {
    for (std::string_view type : kTypes)
        if (token == type)
            return true;
    return false;
}

bool isFormatLine(std::string_view line) {
    TextScanner words(line);
    if (!words.nextContentLine() || words.nextToken() != "format")
        return false;
    std::string_view format = words.nextToken();
    double version = 0;
    return (format == "ascii" || format == "binary_little_endian" ||
            format == "binary_big_endian") &&
           ParseNumber(words.nextToken(), version) && words.atLineEnd();
}

bool fail(MeshParseError& error, int line, std::string message) {
    error.line = line;
    error.message = "PLY header: " + std::move(message);
    return false;
}

/// Checks one header line after the format line; adds element counts to `elements`.
bool checkLine(std::string_view line, int number, uint64_t& elements, MeshParseError& error) {
    TextScanner words(line);
    if (!words.nextContentLine())
        return true;
    std::string_view keyword = words.nextToken();
    if (keyword == "comment" || keyword == "obj_info")
        return true;
    if (keyword == "element") {
        std::string_view name = words.nextToken();
        uint64_t count = 0;
        if (name.empty() || !ParseNumber(words.nextToken(), count))
            return fail(error, number, "expected 'element NAME COUNT'");
        elements += count;
        return true;
    }
    if (keyword == "property") {
        std::string_view type = words.nextToken();
        if (type == "list") {
            if (!isType(words.nextToken()) || !isType(words.nextToken()))
                return fail(error, number, "unknown list property type");
        } else if (!isType(type)) {
            return fail(error, number, "unknown property type");
        }
        if (words.nextToken().empty())
            return fail(error, number, "property without a name");
        return true;
    }
    return fail(error, number, "unknown keyword");
}

} // namespace

bool CheckPlyHeader(std::string_view bytes, MeshParseError& error) {
    size_t pos = 0;
    int number = 0;
    uint64_t elements = 0;
    auto nextLine = [&](std::string_view& line) {
        if (pos >= bytes.size())
            return false;
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = end + 1;
        ++number;
        return true;
    };
    std::string_view line;
    if (!nextLine(line) || (line != "ply" && line != "PLY"))
        return fail(error, 1, "the file does not start with 'ply'");
    if (!nextLine(line) || !isFormatLine(line))
        return fail(error, 2, "expected 'format ascii|binary_little_endian|binary_big_endian 1.0'");
    while (nextLine(line)) {
        if (line == "end_header") {
            uint64_t rest = bytes.size() > pos ? bytes.size() - pos : 0;
            if (elements > rest)
                return fail(error, number, "the element counts need more data than the file holds");
            return true;
        }
        if (!checkLine(line, number, elements, error))
            return false;
    }
    return fail(error, 0, "no 'end_header' line");
}
