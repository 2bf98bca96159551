#pragma once

#include "common/IdleLoop.h"
#include "scene/HeightMap.h"

#include <string>

class LocalCache;

/// The 2D sweep: answers "does this coolinoid unfold?" over a regular (h, k) grid at one dim
/// and shows the answers as a height map (1 unfoldable, 0 not). Each idle tick evaluates one
/// row of hSteps + 1 points; the sweep ends after kSteps + 1 rows.
///
/// Besides the ranges ("h", "k": "min", "max", "steps"; "dim") it reads three optional values
/// of its own: "database" (see LocalCache), "strategy" (the strategy's class name) and "jobs"
/// (threads per row, default 1). With several jobs the points of a row are evaluated at once;
/// the answers do not depend on the number of jobs.
class UnfolderAutomator : public HeightMap, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(UnfolderAutomator)

    UnfolderAutomator();
    ~UnfolderAutomator() override;

    void read(XML& xml) override;
    void onSystemIdle() override;

    /// Evaluates the next row now (the tick's work), whatever the parent.
    void sweepRow();
    bool isSweeping() const { return m_hSteps != 0 && m_kSteps != 0; }
    /// Rows finished since the sweep started.
    int getRowsDone() const { return m_j; }
    int getDim() const { return m_dim; }
    const std::string& getStrategy() const { return m_strategy; }
    /// Points answered by building a coolinoid (not from the cache) since the sweep started.
    long getComputedCount() const { return m_computed; }
    /// True when the strategy or the coolinoid could not be built by name.
    bool isStrategyMissing() const { return m_strategyMissing; }
    LocalCache& getCache() const { return *m_cache; }

private:
    double m_hMin = 0, m_kMin = 0, m_h = 0, m_k = 0, m_hStep = 0, m_kStep = 0;
    int m_i = 0, m_j = 0, m_hSteps = 0, m_kSteps = 0;
    int m_dim = 20;
    int m_jobs = 1;
    long m_computed = 0;
    bool m_strategyMissing = false;
    std::string m_strategy;
    LocalCache* m_cache;
};
