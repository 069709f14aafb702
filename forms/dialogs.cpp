#include "forms/dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace kx::forms {

namespace {

// How many average characters wide the texts of an input dialog are.
constexpr int kInputDialogChars = 56;

} // namespace

QWidget* showMessageWindow(QWidget* owner, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

InputDialog::InputDialog(QWidget* owner, const QString& title, const QString& prompt, const QString& text)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    // The window takes the height its wrapped texts need at a readable width, also when a reason appears.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const int textWidth = fontMetrics().averageCharWidth() * kInputDialogChars;
    auto* question = new QLabel(prompt, this);
    question->setWordWrap(true);
    question->setFixedWidth(textWidth);
    question->setFixedHeight(question->heightForWidth(textWidth)); // a wrapped label's own hint is for another width
    layout->addWidget(question);
    m_edit = new QLineEdit(text, this);
    m_edit->setObjectName(QStringLiteral("text"));
    question->setBuddy(m_edit);
    layout->addWidget(m_edit);
    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("reason"));
    m_reason->setVisible(false);
    m_reason->setWordWrap(true);
    m_reason->setFixedWidth(textWidth);
    QPalette p = m_reason->palette();
    p.setColor(QPalette::WindowText, Qt::darkRed);
    m_reason->setPalette(p);
    layout->addWidget(m_reason);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Editing the text takes the last reason away.
    connect(m_edit, &QLineEdit::textEdited, m_reason, [this] { m_reason->setVisible(false); });
}

QPushButton* InputDialog::addButton(const QString& caption, std::function<void()> action) {
    QPushButton* button = m_buttons->addButton(caption, QDialogButtonBox::ResetRole);
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        action();
        QDialog::reject();
    });
    return button;
}

void InputDialog::accept() {
    const QString why = onAccept ? onAccept(m_edit->text()) : QString();
    if (why.isEmpty()) {
        m_reason->setVisible(false);
        QDialog::accept();
        return;
    }
    m_reason->setText(why);
    m_reason->setFixedHeight(m_reason->heightForWidth(m_reason->width()));
    m_reason->setVisible(true);
    m_edit->setFocus();
    m_edit->selectAll();
}

QString InputDialog::text() const {
    return m_edit->text();
}

void InputDialog::setText(const QString& text) {
    m_edit->setText(text);
    m_reason->setVisible(false);
}

QString InputDialog::refusal() const {
    return m_reason->isHidden() ? QString() : m_reason->text();
}

} // namespace kx::forms
