// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the start-up benchmark: a Qt Widgets program that shows one empty window of the
// editor's size and does nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(834, 570);
    window.show();
    return QApplication::exec();
}
