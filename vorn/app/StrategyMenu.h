#pragma once

class CMainFrame;
class QMenu;

/// Refills `menu` with every unfolding strategy on offer, by display name; choosing one
/// attaches it to the target mesh of the active document (Unfolding > Unfold With). The
/// list is read when the menu opens, so strategies registered later are offered too.
void FillStrategyMenu(QMenu& menu, CMainFrame& frame);
