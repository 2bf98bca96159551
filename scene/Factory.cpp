#include "scene/Factory.h"

#include "scene/settings/CSettingsDlg.h"

#include <algorithm>
#include <mutex>

namespace {

struct FactoryRegistry {
    std::mutex mutex;
    std::vector<Factory*> factories; // registration order
};

// Never destroyed: factories of libraries unloaded at exit may unregister after every
// other static of this library is gone.
FactoryRegistry& registry() {
    static FactoryRegistry* instance = new FactoryRegistry;
    return *instance;
}

} // namespace

Factory::Factory(std::string_view className, std::string_view listedUnder, bool offeredToUsers)
    : m_className(className), m_listedUnder(listedUnder), m_offeredToUsers(offeredToUsers) {
    FactoryRegistry& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.factories.push_back(this);
}

Factory::~Factory() {
    FactoryRegistry& reg = registry();
    std::lock_guard lock(reg.mutex);
    std::erase(reg.factories, this);
}

std::string_view Factory::getClassName() const {
    return m_className;
}

Factory* Factory::getListedUnder() const {
    if (m_listedUnder.empty())
        return nullptr;
    return GetFactory(m_listedUnder);
}

CSettingsDlg* Factory::createSettingsDlg(SceneObj* target) const {
    if (!isListedUnder("CSettingsDlg"))
        return nullptr;
    Factorable* built = newInstance();
    auto* dlg = dynamic_cast<CSettingsDlg*>(built);
    if (!dlg) {
        delete built;
        return nullptr;
    }
    dlg->create(target);
    return dlg;
}

bool Factory::isListedUnder(std::string_view name) const {
    // A chain that loops back on itself is a registration mistake; the step bound keeps
    // the walk finite all the same.
    const Factory* f = this;
    for (size_t steps = 0; f && steps < 1000; ++steps) {
        if (f->getClassName() == name)
            return true;
        f = f->getListedUnder();
    }
    return false;
}

Factory* Factory::GetFactory(std::string_view name) {
    FactoryRegistry& reg = registry();
    std::lock_guard lock(reg.mutex);
    for (Factory* f : reg.factories)
        if (f->m_className == name)
            return f;
    return nullptr;
}

std::vector<Factory*> Factory::GetFactoryList() {
    FactoryRegistry& reg = registry();
    std::lock_guard lock(reg.mutex);
    return reg.factories;
}

Factorable* Factory::BuildObj(std::string_view name) {
    Factory* f = GetFactory(name);
    return f ? f->newInstance() : nullptr;
}
