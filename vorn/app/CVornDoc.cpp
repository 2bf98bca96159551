#include "vorn/app/CVornDoc.h"

std::string CVornDoc::proposeExportName() const {
    if (!m_document.getTargetMesh())
        return {};
    return m_document.proposeOffName();
}
