#include "scene/SceneReadReport.h"

namespace {
thread_local SceneReadReport* t_active = nullptr;
}

SceneReadReport::SceneReadReport() : m_outer(t_active) {
    t_active = this;
}

SceneReadReport::~SceneReadReport() {
    t_active = m_outer;
}

void SceneReadReport::NoteSkipped(std::string_view className) {
    if (!t_active)
        return;
    auto it = t_active->m_skipped.find(className);
    if (it == t_active->m_skipped.end())
        t_active->m_skipped.emplace(std::string(className), 1);
    else
        ++it->second;
}

std::string SceneReadReport::summary() const {
    if (m_skipped.empty())
        return {};
    int total = 0;
    std::string names;
    for (const auto& [name, count] : m_skipped) {
        total += count;
        names += (names.empty() ? "" : ", ") + name;
        if (count > 1)
            names += " (" + std::to_string(count) + ")";
    }
    return "skipped " + std::to_string(total) + (total == 1 ? " object" : " objects") +
           " of unknown " + (m_skipped.size() == 1 ? "class: " : "classes: ") + names;
}
