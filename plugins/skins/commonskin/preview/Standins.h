#pragma once

// Stand-ins for the program's widgets, with the same class names, object names and layouts, so that the
// skin's type and name selectors match in the gallery exactly as they do in the program. They carry no
// behaviour; the real classes live in src/aptui and the pages.

#include <QDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>

class QLabel;

namespace OrvisGUIToolkit {

class CFancyTitle : public QFrame {
    Q_OBJECT
public:
    explicit CFancyTitle(QWidget* parent = nullptr)
        : QFrame(parent) {}
};

class CTableView : public QTreeView {
    Q_OBJECT
public:
    explicit CTableView(QWidget* parent = nullptr);
};

} // namespace OrvisGUIToolkit

namespace aptui {

// Paints style-sheet backgrounds like the program's page base.
class Widget : public QWidget {
    Q_OBJECT
public:
    explicit Widget(QWidget* parent = nullptr)
        : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

class CoverWidget : public Widget {
    Q_OBJECT
public:
    explicit CoverWidget(QWidget* parent = nullptr);
};

class PinButton : public QPushButton {
    Q_OBJECT
public:
    explicit PinButton(bool folded, QWidget* parent = nullptr);
};

class FilePathButton : public QToolButton {
    Q_OBJECT
public:
    explicit FilePathButton(QWidget* parent = nullptr)
        : QToolButton(parent) {}
};

class MultiStateLineEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString state READ state WRITE setState)
public:
    explicit MultiStateLineEdit(QWidget* parent = nullptr)
        : QLineEdit(parent) {}
    QString state() const { return m_state; }
    void setState(const QString& state) { m_state = state; }

private:
    QString m_state = QStringLiteral("Normal");
};

class Menu : public QMenu {
    Q_OBJECT
public:
    explicit Menu(QWidget* parent = nullptr);
};

class WindowTitle : public OrvisGUIToolkit::CFancyTitle {
    Q_OBJECT
public:
    explicit WindowTitle(const QString& title, QWidget* parent = nullptr);
};

class BaseTitle : public OrvisGUIToolkit::CFancyTitle {
    Q_OBJECT
public:
    BaseTitle(const QString& title, bool min, bool max, QWidget* parent = nullptr);
};

class BaseDialog : public QDialog {
    Q_OBJECT
public:
    // Embedded in the gallery as a child widget, not as a window of its own.
    BaseDialog(const QString& title, bool buttons, QWidget* parent = nullptr);
    void setDefaultText(const QString& text);
    void setContentWidget(QWidget* content);
    void setBottomVisible(bool visible);
    BaseTitle* title() const { return m_title; }

private:
    BaseTitle* m_title = nullptr;
    QWidget* m_bottom = nullptr;
    QLabel* m_labelNull = nullptr;
    QWidget* m_mainBorder = nullptr;
};

// The device tables paint a selected row with the hover look.
class TreeViewWithLeftPixmapDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace aptui

namespace VexaTool {

class VEXAToolMainPage : public QMainWindow {
    Q_OBJECT
public:
    explicit VEXAToolMainPage(QWidget* parent = nullptr);
    void setCovered(bool covered);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    aptui::CoverWidget* m_cover = nullptr;
    aptui::PinButton* m_pin = nullptr;
    QWidget* m_modifyPage = nullptr;
    QWidget* m_title = nullptr;
};

class DeviceDisplayPage : public aptui::Widget {
    Q_OBJECT
public:
    explicit DeviceDisplayPage(QWidget* parent = nullptr);
};

class DeviceModifyPage : public aptui::Widget {
    Q_OBJECT
public:
    explicit DeviceModifyPage(QWidget* parent = nullptr);
};

class WarningDialog : public QDialog {
    Q_OBJECT
public:
    WarningDialog(int kind, const QString& text, QWidget* parent = nullptr);
};

class TipDialog : public aptui::BaseDialog {
    Q_OBJECT
public:
    TipDialog(const QString& title, const QString& question, QWidget* parent = nullptr);
};

} // namespace VexaTool
