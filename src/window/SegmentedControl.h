// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>
#include <optional>

class QHBoxLayout;
class SegmentButton;

// A row of joined segments, one per value, at most one of them selected: one
// radio group named by its caption. It is one Tab stop (the selected
// segment, or the first while none is); the arrow keys move the choice, or
// only the focus while nothing is picked; Space and Return pick.
// A pick is only announced; the selection follows setSelected, so it keeps
// showing what is in force when the pick fails.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedControl(QWidget *parent = nullptr);

    // The caption shown beside the control; it names the group and, with the
    // value, each segment ("Laden bis 80 %").
    void setCaption(const QString &caption);
    void setValues(const QList<qint64> &values);
    void setSelected(std::optional<qint64> value);

Q_SIGNALS:
    void picked(qint64 value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pick(qsizetype index);
    void showSelection();
    void moveBy(qsizetype from, qsizetype delta);

    QString m_caption;
    QList<qint64> m_values;
    QList<SegmentButton *> m_buttons;
    std::optional<qint64> m_selected;
    QHBoxLayout *m_row;
};
