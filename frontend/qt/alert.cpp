#include "frontend/qt/alert.hpp"

#include <QMessageBox>

namespace kova {

void MessageBoxAlert::error(QWidget* parent, const QString& text) { QMessageBox::critical(parent, "KOVA", text); }

bool MessageBoxAlert::ask(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, "KOVA", text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

}  // namespace kova
