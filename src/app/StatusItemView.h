// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The status item in the panel, as the lifecycle sees it.
class StatusItemView
{
public:
    virtual ~StatusItemView() = default;
    // Puts the item up or takes it down as the "showIcon" setting says.
    virtual void updateStatusItem() = 0;
    // Redraws icon and tooltip and updates the blinking.
    virtual void refreshButton() = 0;
};
