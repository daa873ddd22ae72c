// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRadioButton>

// One segment of a SegmentedControl: a radio button to assistive technology
// and the keyboard, drawn as a joined button with the selected one filled.
class SegmentButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit SegmentButton(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool hitButton(const QPoint &pos) const override;
    void paintEvent(QPaintEvent *event) override;
};
