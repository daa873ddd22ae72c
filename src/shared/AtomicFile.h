// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file in one step: readers see the old contents or the new ones,
// never a cut-off file, also when the disk fills up during the write.
namespace AtomicFile
{
bool write(const QString &path, const QByteArray &contents);
} // namespace AtomicFile
