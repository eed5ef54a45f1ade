// SPDX-License-Identifier: MIT
#include "savedialog.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace SaveDialog {

QString ask(QWidget* parent, const QString& title, const QString& name, const QString& filters)
{
    QFileDialog dialog(parent, title, QString(), filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto takeSuffix = [&dialog](const QString& filter) {
        static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch match = pattern.match(filter);
        if (match.hasMatch())
            dialog.setDefaultSuffix(match.captured(1));
    };
    takeSuffix(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, takeSuffix);
    if (!name.isEmpty())
        dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace SaveDialog
