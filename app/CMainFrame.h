#pragma once

#include "terminal/ui/StatusPanes.h"

#include <QMainWindow>

#include <map>

class QLabel;
class QTimer;
class QToolBar;

namespace t8 {

class HelpWindow;

// The main window: menu bar, dockable toolbar and the status bar with its prompt, lock-key,
// position and time panes. Commands it does not handle itself go out through CommandTriggered.
class CMainFrame : public QMainWindow, public StatusPanes {
    Q_OBJECT
public:
    static constexpr int kStatusRefreshMs = 1000;
    static constexpr const char* kReady = "Ready";

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // StatusPanes: the operator prompt in the first pane stays until replaced.
    void SetPromptText(const QString& text) override;
    [[nodiscard]] QString PromptText() const override;
    [[nodiscard]] QString ReadyText() const override { return kReady; }
    void SetCursorPosition(int column, int row) override;
    void SetCommandChecked(int id, bool checked) override;
    [[nodiscard]] QAction* Action(int id) const;
    [[nodiscard]] QString PositionText() const;
    [[nodiscard]] QString TimeText() const;
    [[nodiscard]] QToolBar* ToolBar() const { return toolBar; }

signals:
    void CommandTriggered(int id);
    void FileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildAccelerators();
    void RefreshPanes();
    void OnCommand(int id);
    void ShowHelp(int id);
    QAction* NewAction(int id, const QString& text);

    std::map<int, QAction*> actions;
    QToolBar* toolBar = nullptr;
    QLabel* promptPane = nullptr;
    QLabel* capsPane = nullptr;
    QLabel* numPane = nullptr;
    QLabel* scrollPane = nullptr;
    QLabel* positionPane = nullptr;
    QLabel* timePane = nullptr;
    QTimer* paneTimer = nullptr;
    HelpWindow* help = nullptr;
    int cursorColumn = 0;
    int cursorRow = 0;
};

} // namespace t8
