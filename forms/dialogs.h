#pragma once

// Small windows that ask or tell something without holding the program up.

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace kx::forms {

// Shows a small message window beside the owner's windows without holding them up; it goes away when
// it is closed, or with its owner.
QWidget* showMessageWindow(QWidget* owner, const QString& title, const QString& text);

// A small window asking for one line of text, beside the owner's windows and above the calipers, without
// holding anything up: the calipers can still be moved while it is open. OK hands the text to onAccept,
// which gives the reason for refusing it (shown in one line under the text; the window stays open) or
// nothing (the window closes). It goes away when it is closed, or with its owner.
class InputDialog final : public QDialog {
public:
    InputDialog(QWidget* owner, const QString& title, const QString& prompt, const QString& text);
    // One more button beside OK and Cancel; its action runs and the window closes.
    QPushButton* addButton(const QString& caption, std::function<void()> action);
    void accept() override;
    QString text() const;
    void setText(const QString& text);
    // The reason shown for the last refusal; empty while there is none.
    QString refusal() const;

    std::function<QString(const QString&)> onAccept;

private:
    QLineEdit* m_edit;
    QLabel* m_reason;
    QDialogButtonBox* m_buttons;
};

} // namespace kx::forms
