#pragma once

#include <QString>

namespace t8 {

// The status bar's panes the view fills: the first pane's prompt text and the cursor position;
// and the check mark of a menu item whose state the view keeps. The main frame owns them; the
// view reaches them only through this.
class StatusPanes {
public:
    StatusPanes() = default;
    StatusPanes(const StatusPanes&) = delete;
    StatusPanes& operator=(const StatusPanes&) = delete;
    virtual ~StatusPanes() = default;

    virtual void SetPromptText(const QString& text) = 0;
    [[nodiscard]] virtual QString PromptText() const = 0;
    // What the first pane shows when nothing waits for the operator.
    [[nodiscard]] virtual QString ReadyText() const = 0;
    virtual void SetCursorPosition(int column, int row) = 0;
    virtual void SetCommandChecked(int id, bool checked) = 0;
};

} // namespace t8
