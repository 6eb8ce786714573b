#include "app/HelpWindow.h"

#include "app/ScreenFit.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace t8 {

namespace {

// The manual's pages, in the order of its contents.
const char* const kPages[] = {
    "index.html",       "terminal.html", "commands.html", "transfers.html",
    "preferences.html", "keyboard.html", "using.html",
};

QString PageText(const QString& name, QString& title) {
    QFile file(":/help/" + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    title = document.metaInformation(QTextDocument::DocumentTitle);
    return document.toPlainText();
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle("T8HostLink Help");
    setObjectName("HelpWindow");
    PlaceOnScreen(*this, {820, 600});
    browser = new QTextBrowser(this);
    browser->setOpenExternalLinks(false);
    searchField = new QLineEdit(this);
    searchField->setPlaceholderText("Search the manual");
    results = new QListWidget(this);
    auto* contents = new QPushButton("Contents", this);
    auto* back = new QPushButton("Back", this);

    auto* top = new QHBoxLayout;
    top->addWidget(contents);
    top->addWidget(back);
    top->addWidget(new QLabel("Search:", this));
    top->addWidget(searchField, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(results);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    results->hide();

    connect(contents, &QPushButton::clicked, this, [this] { ShowPage(kContents); });
    connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(searchField, &QLineEdit::returnPressed, this, &HelpWindow::RunSearch);
    connect(results, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
    connect(results, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
}

void HelpWindow::ShowPage(const QString& url) {
    browser->setSource(QUrl(url));
    show();
    raise();
    activateWindow();
}

void HelpWindow::ShowSearch() {
    ShowPage(kContents);
    searchField->setFocus();
    searchField->selectAll();
}

QList<QPair<QString, QString>> HelpWindow::Search(const QString& query) const {
    const QStringList words = query.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    QList<QPair<QString, QString>> found;
    if (words.isEmpty()) {
        return found;
    }
    for (const char* page : kPages) {
        QString title;
        const QString text = PageText(page, title);
        const bool all = std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return text.contains(word, Qt::CaseInsensitive);
        });
        if (all) {
            found.append({title.isEmpty() ? QString(page) : title, QString("qrc:/help/") + page});
        }
    }
    return found;
}

void HelpWindow::RunSearch() {
    results->clear();
    const auto found = Search(searchField->text());
    for (const auto& [title, url] : found) {
        auto* item = new QListWidgetItem(title, results);
        item->setData(Qt::UserRole, url);
    }
    if (found.isEmpty()) {
        results->addItem("Nothing found.");
    }
    results->show();
    if (!found.isEmpty()) {
        ShowPage(found.front().second);
        browser->find(searchField->text().split(' ').front());
    }
}

} // namespace t8
