#include "unfolders/strategies/enumeration/CandidateBudget.h"

#include <cstdio>

#include "common/StatusLine.h"

std::string CandidateBudget::refusal() const {
    if (!isRefused())
        return {};
    char text[160];
    if (lowerBound)
        std::snprintf(text, sizeof text, "Too many %s to try: more than the limit of %.0f", what,
                      limit);
    else
        std::snprintf(text, sizeof text, "Too many %s to try: %s, more than the limit of %.0f",
                      what, estimate.describe().c_str(), limit);
    return text;
}

bool CandidateBudget::announce() const {
    if (!isRefused())
        return false;
    StatusMessage("%s", refusal().c_str());
    return true;
}
