// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class FakeSysfs;
struct LaptopFamily;

// A fake tree per laptop family, laid from the attribute sets the kernel
// documents for its driver: the module, the batteries, where the thresholds
// sit, their value formats.
namespace FamilyFixtures
{
// Every family the service tells apart: LaptopFamily::known() and the
// drivers without a family of their own (generic, legacy, behaviour).
QList<LaptopFamily> families();
// The family of that id among families(); fails the test when there is none.
const LaptopFamily &family(const QString &id);
// Lays the tree of the family `id` (LaptopFamily's ids); false when no
// fixture stands for it.
[[nodiscard]] bool lay(FakeSysfs &sysfs, const QString &id);
// The attribute whose refusal stops a limit first (relative to the sysfs
// root).
QString refusing(const QString &family);
} // namespace FamilyFixtures
