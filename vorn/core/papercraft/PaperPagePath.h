#pragma once

#include <string>

/// The file of page `page` (from 0) of `pageCount` for formats written one file a page:
/// `path` itself for a single page, otherwise "-1", "-2", ... before the extension
/// ("model.svg" -> "model-1.svg").
std::string PaperPagePath(const std::string& path, int page, int pageCount);
