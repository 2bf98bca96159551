#pragma once

#include <string>
#include <vector>

/// The face-count bucket a random polyhedron of `faceCount` faces is counted
/// under with Vary Randoms: "[%03i..%03i]" of 5*(f/5)+1 and 5*(f/5)+5, the
/// first raised to 4 ("[004..005]", "[006..010]", "[011..015]", ...).
std::string FaceCountBucket(int faceCount);

/// The bucket labels a Vary Randoms series sets up columns for: those of
/// 4 to 199 faces, "[004..005]" to "[196..200]", each once, in order.
std::vector<std::string> VaryRandomsBuckets();

/// The test name of a model file: its name with the first character
/// upper-cased when it is a lower-case letter.
std::string ModelTestName(const std::string& fileName);

/// The test name of the current model, from its scene's file name: the part
/// before the first ".", first letter upper-cased; "[Scene]" when the name
/// holds no ".".
std::string SceneTestName(const std::string& fileName);
