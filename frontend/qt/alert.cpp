#include "frontend/qt/alert.hpp"

#include <QMessageBox>

namespace kova {

void MessageBoxAlert::error(QWidget* parent, const QString& text) { QMessageBox::critical(parent, "KOVA", text); }

}  // namespace kova
