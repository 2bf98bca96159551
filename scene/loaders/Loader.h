#pragma once

#include "scene/Factorable.h"
#include "scene/Factory.h"

#include <string>
#include <string_view>

class XML;

/// Reads one kind of file into an `XML` node that a `SceneRoot` (or a single
/// scene object) can read. Loaders are found through the factory registry:
/// every factory whose class name contains "Loader" (other than "Loader"
/// itself) builds one. A loader is cheap to build and is used for one file.
class Loader : public Factorable {
    VORN_DECLARE_FACTORY(Loader)

public:
    ~Loader() override = default;

    /// The file extension this loader reads, with the dot and in lower case (".xml").
    virtual std::string_view getExtension() const = 0;
    /// A short description for the open dialog's filter ("Vorn Scene").
    virtual std::string_view getDescription() const = 0;
    /// True when `fileName` ends with the extension, compared case-insensitively.
    virtual bool handles(std::string_view fileName) const;
    /// Reads the file at `path` into `into`, which is renamed after what was
    /// read: "SceneRoot" for a scene, a class name ("PolyMesh") for a single
    /// object. On failure returns false, leaves `into` as it was and keeps a
    /// one-line message naming the file (and line, where there is one) in
    /// getError().
    virtual bool load(const std::string& path, XML& into) = 0;
    const std::string& getError() const { return m_error; }

protected:
    /// Records "path: message" (or "path:line: message" for a line > 0) and returns false.
    bool fail(const std::string& path, int line, const std::string& message);
    /// Records a message that already names the file and returns false.
    bool fail(std::string message);

private:
    std::string m_error;
};
