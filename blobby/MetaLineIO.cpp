// MetaLine persistence: connection records written with each line and the re-linking of
// saved trees as their lines are attached to a common parent.
#include "blobby/MetaLine.h"

#include "common/XML.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<int> g_nextIOId{0};

void addUnique(std::vector<int>& ids, int id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

} // namespace

IOStructure::IOStructure() : id(g_nextIOId++) {}

IOStructure& MetaLine::ensureIO() {
    if (!m_io)
        m_io = std::make_unique<IOStructure>();
    return *m_io;
}

void MetaLine::write(XML& xml) {
    MetaBall::write(xml);
    IOStructure& io = ensureIO();
    if (m_source) {
        IOStructure& src = m_source->ensureIO();
        io.sourceId = src.id;
        addUnique(src.destIds, io.id);
    }
    for (MetaLine* d : m_destinations) {
        IOStructure& dest = d->ensureIO();
        dest.sourceId = io.id;
        addUnique(io.destIds, dest.id);
    }
    XML* info = xml.add("ConnectionInfo");
    info->add("nID", io.id);
    info->add("nSrcID", io.sourceId);
    XML* list = info->add("DestList");
    for (int id : io.destIds)
        list->add("Dest", id);
    io.written = true;
}

void MetaLine::read(XML& xml) {
    MetaBall::read(xml);
    m_io.reset();
    const XML* info = xml.child("ConnectionInfo");
    if (!info)
        return;
    auto io =
        std::make_unique<IOStructure>(info->fieldAsInt("nID", -1), info->fieldAsInt("nSrcID", -1));
    if (const XML* list = info->child("DestList"))
        for (const XML& dest : *list)
            io->destIds.push_back(dest.asInt(-1));
    m_io = std::move(io);
}

bool MetaLine::setParent(SceneObj* parent) {
    if (!MetaBall::setParent(parent))
        return false;
    if (!m_io || !parent)
        return true;
    for (SceneObj* child : parent->getChildren()) {
        auto* other = dynamic_cast<MetaLine*>(child);
        if (other && other != this && other->m_io && m_io)
            relinkSaved(*other);
    }
    return true;
}

// A link is restored only when it keeps the lines a tree: the line that gains a source has
// none yet and the two lines are in different trees. A file whose records would form a
// cycle therefore loses the offending link instead of looping.
void MetaLine::relinkSaved(MetaLine& other) {
    IOStructure& mine = *m_io;
    IOStructure& theirs = *other.m_io;
    if (theirs.id == mine.sourceId && other.connect(this)) {
        std::erase(theirs.destIds, mine.id);
        mine.sourceId = -1;
    } else if (theirs.sourceId == mine.id && connect(&other)) {
        std::erase(mine.destIds, theirs.id);
        theirs.sourceId = -1;
    }
    if (theirs.destIds.empty() && theirs.sourceId == -1)
        other.m_io.reset();
    if (mine.destIds.empty() && mine.sourceId == -1)
        m_io.reset();
}

void MetaLine::onBeingCloned(SceneObj* original) {
    MetaBall::onBeingCloned(original);
    m_io.reset();
    // Links the copy picked up from the saved records while it was attached are dropped:
    // a copy hangs from the line it was copied from.
    if (m_source)
        m_source->removeDestination(this);
    for (MetaLine* d : m_destinations)
        d->m_source = nullptr;
    m_destinations.clear();
    m_source = nullptr;
    if (auto* line = dynamic_cast<MetaLine*>(original)) {
        m_source = line;
        line->m_destinations.push_back(this);
    }
}
