// A bare Qt widget program of the same size class: an application, one window with a few
// controls, shown and painted once, then ended.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    new QLineEdit(&window);
    new QComboBox(&window);
    new QPushButton(QStringLiteral("OK"), &window);
    new QLabel(QStringLiteral("Label"), &window);
    window.resize(590, 388);
    window.show();
    QCoreApplication::processEvents();
    return 0;
}
