// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/DesktopHint.h"

#include <QMessageBox>

void DesktopHint::open(SystemSettingsPanes *panes, SystemSettingsPanes::Pane pane, QWidget *parent)
{
    if (!panes)
        return;
    const std::optional<QString> hint = panes->open(pane);
    if (!hint)
        return;
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Voltquill"), *hint,
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("desktopHint"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
