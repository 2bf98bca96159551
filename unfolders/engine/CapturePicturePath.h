#pragma once

#include <string>

/// The path of the next picture a panel captures: "<prefix>NNN.png" in the data folder's
/// "Capture" folder (created when missing), with the first number not taken yet, so
/// earlier pictures are never overwritten. Empty, with the reason on the status line,
/// when the folder cannot be made.
std::string NextCapturePicturePath(const std::string& prefix);
