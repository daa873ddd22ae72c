// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

class LoginItem;
class QCheckBox;
class QComboBox;
class QLabel;
class Stepper;
class SystemSettingsPanes;

// "Allgemein": the icon in the panel (shown or not, its colour and style),
// blinking, start at login, the desktop's settings and quitting. Icon
// visibility, icon style and the login item are read once when the tab is
// built; blinking and the colour follow the store.
class GeneralTab : public QWidget
{
    Q_OBJECT
public:
    GeneralTab(std::function<void()> onIconChange, LoginItem *loginItem, SystemSettingsPanes *panes,
               std::function<void()> quit, QWidget *parent = nullptr);

private:
    void sync();
    void setLoginItem(bool on);

    std::function<void()> m_onIconChange;
    LoginItem *m_loginItem;
    bool m_showIcon;
    QCheckBox *m_showIconBox;
    QComboBox *m_colour = nullptr;
    QComboBox *m_style;
    QCheckBox *m_blink;
    Stepper *m_blinkAt;
    QWidget *m_panelRow;
    QLabel *m_panelHint;
    QLabel *m_hiddenHint;
    QCheckBox *m_login;
    QLabel *m_loginError;
};
