#pragma once

#include <map>
#include <string>
#include <string_view>

/// Collects what reading a scene skipped (elements naming classes this program
/// does not build), so that the document can say so in one warning line rather
/// than drop objects silently. A report is active on its thread while it lives;
/// reports nest, and notes go to the innermost one. With no report active,
/// notes are dropped.
class SceneReadReport {
public:
    SceneReadReport();
    ~SceneReadReport();
    SceneReadReport(const SceneReadReport&) = delete;
    SceneReadReport& operator=(const SceneReadReport&) = delete;

    /// Called by SceneObj::read for each element it cannot build.
    static void NoteSkipped(std::string_view className);

    bool isEmpty() const { return m_skipped.empty(); }
    /// "skipped 3 objects of unknown classes: Gadget (2), Widget"; empty when
    /// nothing was skipped.
    std::string summary() const;

private:
    SceneReadReport* m_outer;
    std::map<std::string, int, std::less<>> m_skipped; // sorted, for a stable message
};
