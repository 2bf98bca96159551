#pragma once

#include "scene/Factorable.h"

#include <string>
#include <string_view>
#include <vector>

class SceneObj;
class CSettingsDlg;

/// A class factory. Every factory registers itself on construction (a static object per
/// class, so a library's factories appear when it loads) and unregisters on destruction
/// (when the library unloads). The registry is safe to use from several threads.
class Factory {
public:
    /// `className` is the name objects are built by; `listedUnder` names the factory this
    /// one is listed under ("" for none). It is resolved on each call, so the two may
    /// register in any order and from different libraries. `offeredToUsers` marks classes
    /// users choose by name (in menus, batch runs and on the command line), as opposed to
    /// base classes and helpers that only code and documents build.
    Factory(std::string_view className, std::string_view listedUnder, bool offeredToUsers = false);
    virtual ~Factory();

    Factory(const Factory&) = delete;
    Factory& operator=(const Factory&) = delete;

    /// The class name of the objects this factory builds.
    virtual std::string_view getClassName() const;
    /// A new default-constructed object, owned by the caller; null for an abstract class.
    virtual Factorable* newInstance() const = 0;
    /// The factory this one is listed under, or null when there is none or it is not loaded.
    virtual Factory* getListedUnder() const;
    /// For settings panels (factories listed under "CSettingsDlg"): a new panel created for
    /// `target`, owned by the caller. Every other factory yields null and builds nothing.
    virtual CSettingsDlg* createSettingsDlg(SceneObj* target) const;

    /// True when this factory or one in its "listed under" chain has the class name `name`.
    bool isListedUnder(std::string_view name) const;
    /// True when users may choose this class by name (see the constructor).
    bool isOfferedToUsers() const { return m_offeredToUsers; }

    /// The first registered factory with class name `name`, or null.
    static Factory* GetFactory(std::string_view name);
    /// Every registered factory, in registration order (a snapshot).
    static std::vector<Factory*> GetFactoryList();
    /// A new object of class `name`, owned by the caller; null for a name not registered.
    static Factorable* BuildObj(std::string_view name);

private:
    std::string m_className;
    std::string m_listedUnder;
    bool m_offeredToUsers = false;
};

/// Declares, inside a class body, the nested factory `<Class>::<Class>Factory`, the static
/// `<Class>::g_<Class>Builder` and the two `Factorable` operations. Pair it with one of the
/// VORN_DEFINE_*FACTORY macros in the class's source file. Leaves the access at public.
#define VORN_DECLARE_FACTORY(Class)                                                                \
public:                                                                                            \
    class Class##Factory final : public ::Factory {                                                \
    public:                                                                                        \
        Class##Factory();                                                                          \
        ::Factorable* newInstance() const override;                                                \
    };                                                                                             \
    static Class##Factory g_##Class##Builder;                                                      \
    std::string_view getClassName() const override;                                                \
    ::Factory* getClassFactory() const override;

#define VORN_DEFINE_FACTORY_COMMON_(Class, ListedUnder, Offered)                                   \
    Class::Class##Factory::Class##Factory() : ::Factory(#Class, ListedUnder, Offered) {}           \
    Class::Class##Factory Class::g_##Class##Builder;                                               \
    std::string_view Class::getClassName() const {                                                 \
        return #Class;                                                                             \
    }                                                                                              \
    ::Factory* Class::getClassFactory() const {                                                    \
        return &g_##Class##Builder;                                                                \
    }

#define VORN_DEFINE_CONCRETE_FACTORY_(Class, ListedUnder, Offered)                                 \
    VORN_DEFINE_FACTORY_COMMON_(Class, ListedUnder, Offered)                                       \
    ::Factorable* Class::Class##Factory::newInstance() const {                                     \
        return new Class();                                                                        \
    }

/// Defines the factory of a concrete class listed under the factory named `ListedUnder`
/// (a string literal, "" for none).
#define VORN_DEFINE_FACTORY(Class, ListedUnder)                                                    \
    VORN_DEFINE_CONCRETE_FACTORY_(Class, ListedUnder, false)

/// Defines the factory of a concrete class that users choose by name, such as an
/// unfolding strategy: menus, batch runs and the command line list exactly these.
#define VORN_DEFINE_OFFERED_FACTORY(Class, ListedUnder)                                            \
    VORN_DEFINE_CONCRETE_FACTORY_(Class, ListedUnder, true)

/// Defines the factory of an abstract class: it is registered and can be listed under,
/// but builds nothing.
#define VORN_DEFINE_ABSTRACT_FACTORY(Class, ListedUnder)                                           \
    VORN_DEFINE_FACTORY_COMMON_(Class, ListedUnder, false)                                         \
    ::Factorable* Class::Class##Factory::newInstance() const {                                     \
        return nullptr;                                                                            \
    }
