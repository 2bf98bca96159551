#pragma once

#include <string_view>

class Factory;

/// Anything that can be built by class name through the factory registry.
class Factorable {
public:
    virtual ~Factorable() = default;

    /// The class name, equal to the name the class's factory is registered under.
    virtual std::string_view getClassName() const = 0;
    /// The factory that builds objects of this class.
    virtual Factory* getClassFactory() const = 0;
};
