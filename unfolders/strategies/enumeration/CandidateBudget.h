#pragma once

#include <string>

#include "unfolders/strategies/enumeration/SpanningTreeCount.h"

/// The limit a search over candidate nets keeps to: the candidates are counted or
/// estimated before the run starts, and a run with more than the limit is refused with a
/// message for the status line and the panel, instead of being tried.
class CandidateBudget {
public:
    /// `what` names the candidates in messages ("spanning trees").
    CandidateBudget(double limit, const char* what) : limit(limit), what(what) {}

    /// `atLeast`: the count was stopped short and the true one is larger.
    void setEstimate(const SpanningTreeCount& count, bool atLeast = false) {
        estimate = count;
        lowerBound = atLeast;
    }
    const SpanningTreeCount& getEstimate() const { return estimate; }
    void setLimit(double l) { limit = l; }
    double getLimit() const { return limit; }

    bool isRefused() const { return estimate.count > limit; }
    /// "Too many spanning trees to try: about 5.18e+06, more than the limit of 1000000",
    /// or "" when the run may go ahead.
    std::string refusal() const;
    /// Posts the refusal on the status line when there is one; true then.
    bool announce() const;

private:
    SpanningTreeCount estimate;
    bool lowerBound = false;
    double limit;
    const char* what;
};
