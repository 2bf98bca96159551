#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class PolyMesh;

/// What one entry of the tests list stands for.
enum class BatchTestKind {
    CurrentModel, ///< "<<Current Model>>": a copy of the current model's mesh
    RandomSingle, ///< "<<1 Random Polyhedron>>": one random polyhedron, scored
    RandomSeries, ///< "<<N Random Polyhedra>>": N random polyhedra, counted
    ModelFile,    ///< a model file of the models folder
};

/// One entry of the tests list, standing for `count` tests in a row.
struct BatchTestEntry {
    BatchTestKind kind = BatchTestKind::ModelFile;
    /// The text the tests list shows, as stored in "UnfoldAMatic/Tests".
    std::string listText;
    /// The test name: "RandomPoly", "RandomSeries", the scene name or the
    /// model file's name with its first letter upper-cased.
    std::string testName;
    size_t count = 1;
};

/// The list text of a random series of `n` polyhedra ("<<1 Random
/// Polyhedron>>" for one, "<<N Random Polyhedra>>" otherwise).
std::string RandomTestText(long n);

/// The entry a list text stands for: a "<<...Random...>>" text is a random
/// test of the number after "<<" (a series unless it is 1; none below 1),
/// "<<Current Model>>" the current model (named `sceneName`), anything else
/// a model file of that name.
BatchTestEntry ParseTestText(const std::string& text, const std::string& sceneName);

/// The tests of a run in order; an entry of count N stands for N tests.
class BatchTestList {
public:
    void add(BatchTestEntry entry);
    void clear();
    /// Number of tests (entries times their counts).
    size_t size() const { return m_size; }
    const std::vector<BatchTestEntry>& getEntries() const { return m_entries; }
    /// The entry of test `index` (0-based, below size()).
    const BatchTestEntry& at(size_t index) const;
    bool hasRandomSeries() const;

private:
    std::vector<BatchTestEntry> m_entries;
    std::vector<size_t> m_ends; // running totals of the counts
    size_t m_size = 0;
};

/// The files of `folder` that a registered loader reads (".xml" scenes and
/// the mesh formats), by name in ascending order; empty when the folder
/// cannot be read.
std::vector<std::string> ListModelFiles(const std::string& folder);

/// Reads the model file at `path`: a mesh file gives its mesh, a scene a copy of its first
/// top-level mesh. Null for a file that is missing, unreadable or holds no mesh with faces,
/// with `*error` (when given) one line naming the file and why.
std::unique_ptr<PolyMesh> LoadTestModel(const std::string& path, std::string* error = nullptr);
