#include "unfolders/automation/UnfolderAutomator.h"

#include "common/StatusLine.h"
#include "common/XML.h"
#include "unfolders/automation/CoolinoidTrial.h"
#include "unfolders/automation/LocalCache.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

VORN_DEFINE_FACTORY(UnfolderAutomator, "HeightMap")

UnfolderAutomator::UnfolderAutomator()
    : m_strategy(kDefaultSweepStrategy), m_cache(&LocalCache::Get()) {
    setRange(-5, -5, 5, 5);
    RegisterSystemIdleHandler(this);
}

UnfolderAutomator::~UnfolderAutomator() {
    UnregisterSystemIdleHandler(this);
}

void UnfolderAutomator::read(XML& xml) {
    HeightMap::read(xml);
    auto axis = [&xml](const char* name, double& min, int& steps, double& step, double& at) {
        const XML* node = xml.child(name);
        if (!node)
            return;
        min = node->fieldAsDouble("min", min);
        steps = node->fieldAsInt("steps", steps);
        const double max = node->fieldAsDouble("max", steps * step + min);
        step = steps != 0 ? (max - min) / steps : 0;
        at = min;
    };
    axis("h", m_hMin, m_hSteps, m_hStep, m_h);
    axis("k", m_kMin, m_kSteps, m_kStep, m_k);
    if (const XML* dim = xml.child("dim"))
        m_dim = int(dim->asDouble(m_dim));
    m_jobs = std::clamp(xml.fieldAsInt("jobs", m_jobs), 1, 256);
    if (const XML* strategy = xml.child("strategy"); strategy && !strategy->getText().empty())
        m_strategy = strategy->getText();
    if (const XML* database = xml.child("database"))
        m_cache = &LocalCache::Get(database->getText());
    m_i = m_j = 0;
    m_computed = 0;
    m_strategyMissing = false;
    if (isSweeping())
        setSize(m_hSteps + 1, m_kSteps + 1);
}

void UnfolderAutomator::onSystemIdle() {
    if (!getParent() || !isSweeping())
        return;
    sweepRow();
}

void UnfolderAutomator::sweepRow() {
    if (!isSweeping())
        return;
    m_cache->start();
    // The points of this tick, in the order and with the exact values of a one-by-one walk.
    struct Point {
        int i, j;
        double h, k;
        CoolinoidTrialResult result;
    };
    std::vector<Point> points;
    bool ended = false;
    for (int n = 0; n <= m_hSteps && !ended; ++n) {
        points.push_back({m_i, m_j, m_h, m_k, {}});
        m_i += 1;
        m_h += m_hStep;
        if (m_i > m_hSteps) {
            m_j += 1;
            m_i = 0;
            m_h = m_hMin;
            m_k += m_kStep;
        }
        if (m_j > m_kSteps)
            ended = true;
    }
    const int jobs = std::min<int>(m_jobs, int(points.size()));
    if (jobs <= 1) {
        for (Point& p : points)
            p.result = IsUnfoldable(*m_cache, m_dim, p.h, p.k, m_strategy);
    } else {
        std::atomic<size_t> next{0};
        auto work = [&] {
            for (size_t n; (n = next++) < points.size();)
                points[n].result = IsUnfoldable(*m_cache, m_dim, points[n].h, points[n].k,
                                                m_strategy, false);
        };
        std::vector<std::thread> threads;
        for (int t = 1; t < jobs; ++t)
            threads.emplace_back(work);
        work();
        for (std::thread& t : threads)
            t.join();
    }
    for (const Point& p : points) {
        setHeight(p.i, p.j, p.result.unfoldable ? 1.0 : 0.0);
        m_computed += p.result.computed ? 1 : 0;
        m_strategyMissing = m_strategyMissing || p.result.unavailable;
    }
    if (m_strategyMissing)
        StatusMessage("%s cannot be built: the sweep counts every point as not unfoldable",
                      m_strategy.c_str());
    if (ended) {
        m_k = m_kMin;
        m_j = 0;
        m_hSteps = m_kSteps = 0;
        // A sweep whose strategy was missing keeps saying so rather than "Ready".
        if (!m_strategyMissing)
            StatusMessage("Ready");
    }
}
