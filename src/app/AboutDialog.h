#pragma once

#include <QDialog>

namespace padsmith {

// The program's name, version, and the libraries it is built on with their licences.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

} // namespace padsmith
