#include "scene/settings/SaveFileChooser.h"

#include <mutex>

namespace {

std::mutex g_lock;
SaveFileChooser g_chooser;

} // namespace

void SetSaveFileChooser(SaveFileChooser chooser) {
    std::lock_guard guard(g_lock);
    g_chooser = std::move(chooser);
}

std::string ChooseSaveFile(const std::string& start, const std::string& extension) {
    SaveFileChooser chooser;
    {
        std::lock_guard guard(g_lock);
        chooser = g_chooser;
    }
    return chooser ? chooser(start, extension) : std::string();
}
