#include "vorn/core/batch/TestLabels.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

std::string FaceCountBucket(int faceCount) {
    const int base = 5 * (faceCount / 5);
    char text[32];
    std::snprintf(text, sizeof text, "[%03i..%03i]", std::max(base + 1, 4), base + 5);
    return text;
}

std::vector<std::string> VaryRandomsBuckets() {
    std::vector<std::string> labels;
    for (int k = 4; k < 200; ++k) {
        std::string label = FaceCountBucket(k);
        if (labels.empty() || labels.back() != label)
            labels.push_back(std::move(label));
    }
    return labels;
}

std::string ModelTestName(const std::string& fileName) {
    std::string name = fileName;
    if (!name.empty() && std::islower(static_cast<unsigned char>(name[0])))
        name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::string SceneTestName(const std::string& fileName) {
    const size_t dot = fileName.find('.');
    if (dot == std::string::npos)
        return "[Scene]";
    return ModelTestName(fileName.substr(0, dot));
}
