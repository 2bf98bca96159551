#pragma once

#include <string>
#include <vector>

class QListWidget;

/// The texts of the tests list: "<<Current Model>>" when there is a current model, the
/// random polyhedra from one to 9999999, then the model files of `modelFolder`.
std::vector<std::string> BatchTestTexts(bool hasCurrentModel, const std::string& modelFolder);

/// Replaces the items of `list` by `texts`, selecting those whose "[text]" occurs in
/// `selected` (the stored "[a][b]..." form).
void FillChoiceList(QListWidget& list, const std::vector<std::string>& texts,
                    const std::string& selected);

/// The display names of every strategy the batch engine offers.
std::vector<std::string> BatchStrategyTexts();

/// The selected texts of `list` in list order.
std::vector<std::string> SelectedTexts(const QListWidget& list);
/// The selected texts in the stored "[a][b]..." form.
std::string SelectedBracketList(const QListWidget& list);
