#pragma once

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "scene/loaders/OffParser.h"
#include "tests/support/TestShapes.h"

/// A model of tests/data (see the README there); a parse failure fails the test.
inline std::unique_ptr<PolyMesh> loadTestModel(const std::string& name) {
    std::ifstream in(std::string(VORN_SOURCE_DIR) + "/tests/data/" + name);
    std::stringstream text;
    text << in.rdbuf();
    MeshData data;
    MeshParseError error;
    EXPECT_TRUE(ParseOff(text.str(), data, error)) << name << ": " << error.message;
    return testshapes::meshOf(data);
}
