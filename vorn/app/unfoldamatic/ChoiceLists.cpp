#include "vorn/app/unfoldamatic/ChoiceLists.h"

#include "vorn/core/StrategyCatalogue.h"
#include "vorn/core/batch/BatchSettings.h"
#include "vorn/core/batch/BatchTests.h"

#include <QListWidget>

std::vector<std::string> BatchTestTexts(bool hasCurrentModel, const std::string& modelFolder) {
    std::vector<std::string> texts;
    if (hasCurrentModel)
        texts.push_back("<<Current Model>>");
    for (long count : {1L, 100L, 1000L, 10000L, 100000L, 1000000L, 9999999L})
        texts.push_back(RandomTestText(count));
    for (std::string& name : ListModelFiles(modelFolder))
        texts.push_back(std::move(name));
    return texts;
}

void FillChoiceList(QListWidget& list, const std::vector<std::string>& texts,
                    const std::string& selected) {
    list.clear();
    for (const std::string& text : texts) {
        auto* item = new QListWidgetItem(QString::fromStdString(text), &list);
        item->setSelected(BracketListHas(selected, text));
    }
}

std::vector<std::string> BatchStrategyTexts() {
    std::vector<std::string> names;
    for (const OfferedStrategy& strategy : ListOfferedStrategies())
        names.push_back(strategy.displayName);
    return names;
}

std::vector<std::string> SelectedTexts(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->isSelected())
            texts.push_back(list.item(row)->text().toStdString());
    return texts;
}

std::string SelectedBracketList(const QListWidget& list) {
    std::string text;
    for (const std::string& item : SelectedTexts(list))
        text += "[" + item + "]";
    return text;
}
