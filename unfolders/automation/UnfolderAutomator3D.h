#pragma once

#include "blobby/MetaSurface.h"

#include <string>
#include <vector>

class LocalCache;

/// The 3D sweep: "unfoldable" over the box h × dim × k (x carries h, y dim, z k) is the field
/// of an implicit surface, 1 inside and 0 outside, so the octree polygoniser finds the
/// boundary of the unfoldable region. With finalize on, every finished cell's triangles are
/// streamed into a scene file instead of being kept, and the file is read back as a mesh
/// child when refinement ends.
///
/// Besides the ranges ("h", "k", "dim": "min", "max") it reads the optional values "database"
/// and "strategy" (as UnfolderAutomator does) and "stream" (a target file; turns finalize
/// on), all only before finalizing has started.
class UnfolderAutomator3D : public MetaSurface {
    VORN_DECLARE_FACTORY(UnfolderAutomator3D)

    UnfolderAutomator3D();
    ~UnfolderAutomator3D() override;

    double F(Sorvex::M3d& p) override;
    void finalise(Octree* cell) override;
    void onDone() override;
    void read(XML& xml) override;
    void write(XML& xml) override;

    /// Both take effect only before finalizing has started.
    void setOutputTarget(const char* path);
    void setFinalize(bool on);
    const std::string& getOutputTarget() const { return m_target; }
    bool getFinalize() const { return m_finalize; }
    bool getStartedFinalizing() const { return m_startedFinalizing; }
    /// Triangles streamed into the target so far.
    long getStreamedTriangles() const { return m_streamedTriangles; }

private:
    void formatDefaultTarget();
    void addIcons();
    void removeIcons();

    double m_hMin = 0, m_hMax = 0, m_kMin = 0, m_kMax = 0;
    int m_dimMin = 0, m_dimMax = 0;
    std::string m_strategy;
    LocalCache* m_cache;
    std::string m_target;
    bool m_targetIsDefault = true;
    bool m_finalize = false;
    bool m_startedFinalizing = false;
    /// False once the target could not be written: the rest of the stream is skipped.
    bool m_streamOpen = false;
    long m_streamedTriangles = 0;
    std::vector<SceneObj*> m_icons;
};
