#include "unfolders/strategies/support/NetKey.h"

#include <algorithm>
#include <vector>

#include "common/TextUtil.h"

std::string NetKey(const Graph<Poly*>& net) {
    std::string key;
    std::vector<std::string> names;
    for (const auto& [face, neighbours] : net) {
        if (neighbours.empty())
            continue;
        names.clear();
        for (Poly* g : neighbours)
            names.push_back(HandyName(g, 0));
        std::sort(names.begin(), names.end());
        if (!key.empty())
            key += ';';
        key += HandyName(face, 0);
        key += "<->";
        for (size_t i = 0; i < names.size(); ++i) {
            if (i)
                key += ',';
            key += names[i];
        }
    }
    return key;
}
