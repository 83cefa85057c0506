// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

// Makes bytes the content of the file at path without ever losing the old content: the file is
// replaced by a complete, synced copy, or rewritten in place while a synced backup beside it
// holds the old bytes, which are put back on failure. Temporary files and needless backups that
// killed saves of the file left are removed first. A symbolic link stays a link and its final
// target gets the bytes; what is not a regular file is refused. Returns why it failed, or an
// empty string.
QString replaceFileContents(const QString &path, QByteArrayView bytes);

} // namespace platform
