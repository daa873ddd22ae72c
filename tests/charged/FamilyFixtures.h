// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class FakeSysfs;

// A fake tree per laptop family, laid from the attribute sets the kernel
// documents for its driver: the module, the batteries, where the thresholds
// sit, their value formats.
namespace FamilyFixtures
{
// Every family with a fixture, as LaptopFamily's ids.
QStringList families();
void lay(FakeSysfs &sysfs, const QString &family);
// The attribute whose refusal stops a limit of 80 first (relative to the
// sysfs root).
QString refusing(const QString &family);
} // namespace FamilyFixtures
