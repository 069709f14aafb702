// The floor the program's start is measured against (bench/run): a bare Qt Widgets program that shows
// one window of the control panel's size with one line of text (so that, like any window with a
// caption, it has loaded a font) and ends when it is closed.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(395, 197);
    auto* text = new QLabel(QStringLiteral("0.00 cm"), &window);
    text->move(8, 56);
    window.show();
    return QApplication::exec();
}
