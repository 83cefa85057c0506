#include "storage/openAndSave.h"

#include "platform/posix/PosixRead.h"
#include "platform/posix/PosixSave.h"

namespace openAndSave {

ReadResult readFile(const QString &path)
{
    platform::FileContents contents = platform::readRegularFile(path, maxFileSize);
    const bool ok = contents.error.isEmpty();
    return {ok, std::move(contents.bytes), std::move(contents.error), contents.stamp};
}

WriteResult writeFile(const QString &path, const QByteArray &bytes)
{
    QString error = platform::replaceFileContents(path, bytes);
    const bool ok = error.isEmpty();
    return {ok, std::move(error)};
}

} // namespace openAndSave
