#pragma once

#include "sorvex/M3d.h"

#include <algorithm>
#include <vector>

class Octree;

/// A surface vertex or goal point shared by the octree cells that refer to it. The last
/// cell to leave deletes it, so a vertex lives exactly as long as one of its users.
class RefCountedVector : public Sorvex::M3d {
public:
    explicit RefCountedVector(const Sorvex::M3d& p) : Sorvex::M3d(p) {}

    void addUser(Octree* cell) { m_users.push_back(cell); }
    /// Removes `cell` from the users; deletes this vector when none is left.
    void removeUser(Octree* cell) {
        auto it = std::find(m_users.begin(), m_users.end(), cell);
        if (it != m_users.end())
            m_users.erase(it);
        if (m_users.empty())
            delete this;
    }
    const std::vector<Octree*>& getUsers() const { return m_users; }

private:
    std::vector<Octree*> m_users;
};
