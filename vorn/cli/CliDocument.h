#pragma once

#include <string>

class SceneDocument;

/// Opens `path` into `document` as the workbench would, then carries out
/// what the open queued (the selection of a lone object). On failure prints
/// the one-line error and returns false.
bool CliOpenDocument(SceneDocument& document, const std::string& path);

/// The extension of `path` in lower case, with its dot; empty when it has none.
std::string CliExtensionOf(const std::string& path);
