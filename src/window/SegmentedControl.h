// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>
#include <optional>

class QAbstractButton;
class QHBoxLayout;

// A row of joined buttons, one per value, at most one of them selected.
// A pick is only announced; the selection follows setSelected, so it keeps
// showing what is in force when the pick fails.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedControl(QWidget *parent = nullptr);

    void setValues(const QList<qint64> &values);
    void setSelected(std::optional<qint64> value);

Q_SIGNALS:
    void picked(qint64 value);

private:
    void showSelection();

    QList<qint64> m_values;
    QList<QAbstractButton *> m_buttons;
    std::optional<qint64> m_selected;
    QHBoxLayout *m_row;
};
