#include "vorn/app/StrategyMenu.h"

#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/core/StrategyCatalogue.h"

#include <QAction>
#include <QMenu>

#include <string>

void FillStrategyMenu(QMenu& menu, CMainFrame& frame) {
    menu.clear();
    const std::vector<OfferedStrategy> strategies = ListOfferedStrategies();
    if (strategies.empty()) {
        menu.addAction("No strategies are loaded")->setEnabled(false);
        return;
    }
    for (const OfferedStrategy& strategy : strategies) {
        QAction* item = menu.addAction(QString::fromStdString(strategy.displayName));
        // The factory is looked up again when chosen: a library may have gone meanwhile.
        const std::string className(strategy.factory->getClassName());
        const std::string shown = strategy.displayName;
        QObject::connect(item, &QAction::triggered, &frame, [&frame, className, shown] {
            CChildFrame* child = frame.activeChild();
            Factory* factory = Factory::GetFactory(className);
            std::string error = "There is no document to unfold in";
            if (child && factory &&
                child->getDocument().perform("Unfold With " + QString::fromStdString(shown), [&] {
                    return child->getDocument().attachStrategy(*factory, &error) != nullptr;
                }))
                StatusMessage("Unfolding by %s", shown.c_str());
            else
                StatusMessage("%s", error.c_str());
        });
    }
}
