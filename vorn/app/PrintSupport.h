#pragma once

#include <string>

class Camera;
class QPrinter;
class SceneRoot;

/// The longest side, in pixels, of a printed view picture. Finer printers scale it up:
/// 2400 pixels across a page is about 300 per inch, and a picture this size still draws
/// in well under a second.
constexpr int kLargestPrintSide = 2400;

/// Prints the picture `camera` sees of `root` on one page of `printer`: drawn by the file
/// renderer on white at the camera's aspect, as large as the printable area allows and
/// centred on it. False with `error` set when nothing was printed; the printer's output
/// is then not started.
bool PrintViewPage(QPrinter& printer, SceneRoot& root, const Camera& camera, std::string& error);
