#include "app/CMainFrame.h"

#include "app/AboutBox.h"
#include "app/HelpWindow.h"
#include "app/LockKeys.h"
#include "commands/CommandIds.h"
#include "commands/CommandTable.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <ctime>
#include <vector>

namespace t8 {

namespace {

struct IconName {
    int id;
    const char* file;
};

constexpr IconName kIcons[] = {
    {cmd::kSendFile, "send"},       {cmd::kReceiveFile, "receive"},
    {cmd::kBurn, "burn"},           {cmd::kLoad, "load"},
    {cmd::kPretest, "pretest"},     {cmd::kCompare, "compare"},
    {cmd::kErase, "erase"},         {cmd::kEmulate, "emulate"},
    {cmd::kChecksumRom, "csumrom"}, {cmd::kChecksumRam, "csumram"},
    {cmd::kPortParameters, "port"}, {cmd::kExamineFile, "examine"},
    {cmd::kExecuteBatch, "batch"},  {cmd::kKeyUp, "up"},
    {cmd::kKeyDown, "down"},        {cmd::kKeyLeft, "left"},
    {cmd::kKeyRight, "right"},      {cmd::kKeyEsc, "esc"},
    {cmd::kKeyEnter, "enter"},      {cmd::kExit, "exit"},
};

QString Qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text a command shows where it has no menu item (the key commands).
QString FallbackText(int id) {
    const auto parts = SplitPrompt(PromptFor(id));
    return QString::fromStdString(parts.tooltip.empty() ? parts.status : parts.tooltip);
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName("CMainFrame");
    setAcceptDrops(true);
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BuildAccelerators();
    paneTimer = new QTimer(this);
    connect(paneTimer, &QTimer::timeout, this, &CMainFrame::RefreshPanes);
    paneTimer->start(kStatusRefreshMs);
    RefreshPanes();
}

// The view goes first: it saves the settings and closes the port while the frame is whole.
CMainFrame::~CMainFrame() {
    delete takeCentralWidget();
}

QAction* CMainFrame::NewAction(int id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(id);
    const auto parts = SplitPrompt(PromptFor(id));
    action->setStatusTip(QString::fromStdString(parts.status));
    if (!parts.tooltip.empty()) {
        action->setToolTip(QString::fromStdString(parts.tooltip));
    }
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
}

void CMainFrame::BuildActions() {
    // One action per id; a second menu text for the same id gets its own action in BuildMenus.
    for (const auto& entry : MenuBar()) {
        if (entry.kind == MenuEntry::Kind::Item && !actions.count(entry.id)) {
            actions[entry.id] = NewAction(entry.id, Qs(entry.text));
        }
    }
    for (const auto& key : KeyCommands()) {
        actions[key.id] = NewAction(key.id, FallbackText(key.id));
    }
    for (const auto& [id, file] : kIcons) {
        actions.at(id)->setIcon(QIcon(QString(":/icons/%1.svg").arg(file)));
        if (actions.at(id)->toolTip() == actions.at(id)->text()) {
            actions.at(id)->setToolTip(
                QString::fromStdString(PlainMenuText(actions.at(id)->text().toStdString())));
        }
    }
}

void CMainFrame::BuildMenus() {
    std::vector<QMenu*> open;
    std::map<int, int> seen;
    for (const auto& entry : MenuBar()) {
        using Kind = MenuEntry::Kind;
        switch (entry.kind) {
        case Kind::MenuBegin:
            open.push_back(menuBar()->addMenu(Qs(entry.text)));
            break;
        case Kind::SubmenuBegin:
            open.push_back(open.back()->addMenu(Qs(entry.text)));
            break;
        case Kind::MenuEnd:
        case Kind::SubmenuEnd:
            open.pop_back();
            break;
        case Kind::Separator:
            open.back()->addSeparator();
            break;
        case Kind::Item:
            open.back()->addAction(seen[entry.id]++ == 0 ? actions.at(entry.id)
                                                         : NewAction(entry.id, Qs(entry.text)));
            break;
        }
    }
    for (int id : {cmd::kViewToolbar, cmd::kViewStatusBar}) {
        actions.at(id)->setCheckable(true);
        actions.at(id)->setChecked(true);
    }
    actions.at(cmd::kViewTimestamps)->setCheckable(true); // the view says whether it shows them
}

void CMainFrame::BuildToolBar() {
    toolBar = new QToolBar("Toolbar", this);
    toolBar->setObjectName("toolbar");
    toolBar->setIconSize(QSize(20, 20));
    toolBar->setMovable(true);
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolbarButtons()) {
        if (id == 0) {
            toolBar->addSeparator();
        } else {
            toolBar->addAction(actions.at(id));
        }
    }
    addToolBar(Qt::TopToolBarArea, toolBar);
    connect(toolBar, &QToolBar::visibilityChanged, actions.at(cmd::kViewToolbar),
            &QAction::setChecked);
}

void CMainFrame::BuildStatusBar() {
    auto pane = [this](const QString& text, bool permanent) {
        auto* label = new QLabel(text, this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        permanent ? statusBar()->addPermanentWidget(label) : statusBar()->addWidget(label, 1);
        return label;
    };
    promptPane = pane(kReady, false);
    promptPane->setFrameShape(QFrame::NoFrame);
    capsPane = pane("CAP", true);
    numPane = pane("NUM", true);
    scrollPane = pane("SCRL", true);
    for (QLabel* lock : {capsPane, numPane, scrollPane}) {
        lock->setMinimumWidth(lock->sizeHint().width());
    }
    positionPane = pane("", true);
    timePane = pane("", true);
}

void CMainFrame::BuildAccelerators() {
    for (const auto& accelerator : Accelerators()) {
        auto* shortcut = new QAction(this);
        shortcut->setShortcut(QKeySequence(Qs(accelerator.key)));
        shortcut->setShortcutContext(Qt::WindowShortcut);
        const int id = accelerator.id;
        connect(shortcut, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(shortcut);
    }
}

void CMainFrame::OnCommand(int id) {
    switch (id) {
    case cmd::kExit:
        close();
        return;
    case cmd::kViewToolbar:
        toolBar->setVisible(!toolBar->isVisible());
        return;
    case cmd::kViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        actions.at(cmd::kViewStatusBar)->setChecked(statusBar()->isVisible());
        return;
    case cmd::kNextPane:
        focusNextChild();
        return;
    case cmd::kPreviousPane:
        focusPreviousChild();
        return;
    case cmd::kAbout: {
        AboutBox about(this);
        about.exec();
        return;
    }
    case cmd::kHelpTopics:
    case cmd::kHelpSearch:
    case cmd::kHelpUsing:
        ShowHelp(id);
        return;
    default:
        emit CommandTriggered(id);
    }
}

void CMainFrame::ShowHelp(int id) {
    if (!help) {
        help = new HelpWindow(this);
    }
    if (id == cmd::kHelpSearch) {
        help->ShowSearch();
    } else {
        help->ShowPage(id == cmd::kHelpUsing ? HelpWindow::kUsingHelp : HelpWindow::kContents);
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

// Each dropped file is opened as a document; the last one's request is the one kept.
void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            emit FileDropped(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
}

void CMainFrame::SetPromptText(const QString& text) {
    promptPane->setText(text);
}

void CMainFrame::SetCursorPosition(int column, int row) {
    cursorColumn = column;
    cursorRow = row;
    positionPane->setText(QString("Ln %1, Col %2").arg(cursorRow).arg(cursorColumn));
}

void CMainFrame::SetCommandChecked(int id, bool checked) {
    if (QAction* action = Action(id)) {
        action->setChecked(checked);
    }
}

QAction* CMainFrame::Action(int id) const {
    const auto found = actions.find(id);
    return found == actions.end() ? nullptr : found->second;
}

QString CMainFrame::PromptText() const {
    return promptPane->text();
}
QString CMainFrame::PositionText() const {
    return positionPane->text();
}
QString CMainFrame::TimeText() const {
    return timePane->text();
}

void CMainFrame::RefreshPanes() {
    positionPane->setText(QString("Ln %1, Col %2").arg(cursorRow).arg(cursorColumn));
    char clock[64] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(clock, sizeof clock, "%X", &local);
    timePane->setText(QString::fromLocal8Bit(clock));
    const LockKeyState locks = ReadLockKeys();
    capsPane->setText(locks.caps ? "CAP" : "");
    numPane->setText(locks.num ? "NUM" : "");
    scrollPane->setText(locks.scroll ? "SCRL" : "");
    for (QLabel* lock : {capsPane, numPane, scrollPane}) {
        lock->setEnabled(locks.known);
    }
}

} // namespace t8
