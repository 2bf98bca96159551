#pragma once

#include "scene/loaders/Loader.h"

#include "common/XML.h"

#include <memory>
#include <string>
#include <vector>

/// Every loader the factory registry can build: one per factory whose class
/// name contains "Loader" (but is not "Loader"), in factory order.
std::vector<std::unique_ptr<Loader>> BuildLoaders();

/// Reads `path` into `node` with the first registered loader that handles its name and
/// succeeds (each loader starts from `node` as given). False, with `error` one line naming the file
/// (the last loader's reason, or that no loader reads the extension), when none does.
bool LoadWithLoaders(const std::string& path, XML& node, std::string& error);

class PolyMesh;

/// What `LoadFile` read: a mesh file's mesh, or the node any other file gives.
struct LoadedFile {
    /// Set for mesh files (OFF, OBJ, STL, PLY), which skip the XML form.
    std::unique_ptr<PolyMesh> mesh;
    XML node{"SceneRoot"};

    LoadedFile();
    ~LoadedFile();
};

/// As LoadWithLoaders, but a mesh file's loader reads it straight into a new mesh, which
/// is what its node would give when read; other files come back as a node.
bool LoadFile(const std::string& path, LoadedFile& out, std::string& error);

/// The loaders as the open dialog lists them: the ".xml" loader first, the
/// others after it in factory order.
std::vector<std::unique_ptr<Loader>> BuildOpenDialogLoaders();

/// The open dialog's filter: for each loader "<description> (*<ext>)", NUL,
/// "*<ext>", NUL; then "All Files (*.*)", NUL, "*.*", NUL.
struct OpenFilter {
    std::string text;
    /// How many entries come from loaders (the all-files entry not counted).
    int customFilterCount = 0;
};
OpenFilter BuildOpenFilter();
