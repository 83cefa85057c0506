#include "platform/posix/PosixTempFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int suffixLength = 6;
constexpr int attempts = 100;

QByteArray randomSuffix()
{
    static constexpr char alphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(suffixLength, Qt::Uninitialized);
    for (char &c : suffix)
        c = alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return suffix;
}

// The target's name, cut short enough that the temporary name stays within NAME_MAX; a cut
// backs off to the start of a UTF-8 sequence.
QByteArray shortenedName(QByteArray name)
{
    // "." before the name, ".tavlo-" and the suffix after it.
    constexpr qsizetype decorationLength = 1 + 7 + suffixLength;
    constexpr qsizetype room = NAME_MAX - decorationLength;
    if (name.size() <= room)
        return name;
    qsizetype cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    name.truncate(cut);
    return name;
}

} // namespace

TempFile::TempFile(const QByteArray &targetPath)
    : m_targetPath(targetPath)
{}

TempFile::~TempFile()
{
    discard();
}

void TempFile::discard()
{
    m_fd.reset();
    if (m_exists)
        ::unlink(m_path.constData());
    m_exists = false;
}

int TempFile::create(mode_t mode)
{
    const QByteArray prefix =
        folderOf(m_targetPath) + "/." + shortenedName(fileNameOf(m_targetPath)) + ".tavlo-";
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QByteArray path = prefix + randomSuffix();
        const int fd =
            ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd.reset(fd);
            m_path = path;
            m_exists = true;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int TempFile::renameOverTarget()
{
    if (::rename(m_path.constData(), m_targetPath.constData()) != 0)
        return errno;
    m_exists = false;
    return 0;
}

} // namespace platform
