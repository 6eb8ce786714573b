#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace t8 {

// The program's manual: HTML pages shipped in the resources, a contents page and a search.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kContents = "qrc:/help/index.html";
    static constexpr const char* kUsingHelp = "qrc:/help/using.html";

    explicit HelpWindow(QWidget* parent = nullptr);

    void ShowPage(const QString& url);
    // Opens with the search field ready.
    void ShowSearch();
    // Pages whose text holds every word of `query`, as (title, url), in contents order.
    [[nodiscard]] QList<QPair<QString, QString>> Search(const QString& query) const;
    [[nodiscard]] QTextBrowser* Browser() const { return browser; }

private:
    void RunSearch();

    QTextBrowser* browser = nullptr;
    QLineEdit* searchField = nullptr;
    QListWidget* results = nullptr;
};

} // namespace t8
