// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "StorageTestFiles.h"
#include "platform/desktop/FileKindIconProvider.h"

#include <memory>

using namespace Qt::StringLiterals;

// The file dialogs' icons and type names never wait on a file, as Qt's own would on one whose
// reading waits (/proc/kmsg for root) or whose opening waits (the held file here).
class tst_FileKindIconProvider : public QObject {
    Q_OBJECT

private slots:
    void neverOpensTheFile();
};

void tst_FileKindIconProvider::neverOpensTheFile()
{
    const QTemporaryDir folder;
    // No extension, so that only its content could tell its type.
    const QString path = folder.filePath(u"no-extension"_s);
    const testFiles::HeldFile held(path);
    if (!held.isHeld())
        QSKIP("This file system or kernel offers no file leases.");

    // Shared with the thread, which outlives the test when a call hangs.
    const auto provider = std::make_shared<FileKindIconProvider>();
    const QFileInfo info(path);
    QVERIFY(testFiles::returnsWithin(5000, [provider, info] {
        provider->type(info);
        provider->icon(info);
    }));
}

QTEST_MAIN(tst_FileKindIconProvider)
#include "tst_FileKindIconProvider.moc"
