// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// Asks for the file to save to. A name typed without an extension gets that
// of the chosen file type (of the first one when "All files" is chosen)
// before the dialog checks it, so that its "replace?" question is about the
// file that is really written. Qt's own dialog: a platform's dialog may ask
// about the name as typed and have the extension added afterwards.
namespace SaveDialog {
// `filters` as QFileDialog takes them ("CSV data (*.csv);;PNG picture (*.png)");
// `name` the one proposed. Empty when the user cancels.
QString ask(QWidget* parent, const QString& title, const QString& name, const QString& filters);
} // namespace SaveDialog
