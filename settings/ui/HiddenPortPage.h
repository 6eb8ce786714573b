#pragma once

#include <QWidget>

#include <initializer_list>
#include <vector>

class QCheckBox;
class QGroupBox;

namespace t8 {

// What the never-shown pages of "Terminal Setup" share: an Active box over a group of the port's
// own options and the TTY options, all of them enabled only while the box is checked. Their
// settings live only in the store, and nothing copies them in or out.
class HiddenPortPage : public QWidget {
    Q_OBJECT
public:
    void OnInitDialog();
    [[nodiscard]] QCheckBox* ActiveBox() const { return activeBox; }

protected:
    HiddenPortPage(const QString& activeText, QWidget* parent);
    // Lays the page out with `portGroup` between the Active box and the TTY options;
    // `portControls` follow the Active box like the TTY options.
    void LayOut(QGroupBox* portGroup, std::initializer_list<QWidget*> portControls);

private:
    void EnableControls();

    QCheckBox* activeBox = nullptr;
    std::vector<QWidget*> controls; // the port's options, then the TTY options
};

} // namespace t8
