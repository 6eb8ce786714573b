#pragma once

class QDialog;
class QTabWidget;

namespace t8 {

// Lays a settings sheet out: its pages' tabs over OK and Cancel, which accept and reject the
// sheet (its own accept, where it has one). `firstPage` is shown first, the first one when there
// is no such page.
void LayOutSheet(QDialog& sheet, QTabWidget* tabs, int firstPage = 0);

} // namespace t8
