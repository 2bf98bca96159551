#include "vorn/app/CVornDoc.h"

#include <functional>

void CVornDoc::onNewDocument() {
    m_document.newDocument();
    markUnmodified();
}

bool CVornDoc::onOpenDocument(const std::string& path, std::string& error) {
    if (!m_document.open(path, error))
        return false;
    markUnmodified();
    return true;
}

bool CVornDoc::onSaveDocument(const std::string& path, std::string& error) {
    if (!m_document.save(path, error))
        return false;
    markUnmodified();
    return true;
}

bool CVornDoc::isModified() {
    if (m_modified || m_document.getChangeCount() == m_checkedChangeCount)
        return m_modified;
    m_checkedChangeCount = m_document.getChangeCount();
    m_modified = std::hash<std::string>{}(m_document.toText()) != m_savedHash;
    return m_modified;
}

void CVornDoc::markUnmodified() {
    m_savedHash = std::hash<std::string>{}(m_document.toText());
    m_checkedChangeCount = m_document.getChangeCount();
    m_modified = false;
}

std::string CVornDoc::proposeExportName() const {
    if (!m_document.getTargetMesh())
        return {};
    return m_document.proposeOffName();
}
