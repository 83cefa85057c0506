// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/InstanceName.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

const QString AppId = QStringLiteral("example.tavlo.Tavlo");
// The bus refuses longer names.
constexpr int MaxBusNameLength = 255;

// Bus names allow only ASCII letters, digits, '_' and '-' in an element. Every other byte, and
// '_' itself, becomes '_' and two hex digits, so that two displays never share a name.
QString escapeForBusName(const QString &text)
{
    QString escaped;
    for (const char byte : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            escaped += QLatin1Char(byte);
        else
            escaped += QStringLiteral("_%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    return escaped;
}

// The kind of display and its label make the last element of the name; the kind keeps the
// element from starting with a digit, which the bus forbids.
QString withLabel(const QString &kind, const QString &label, const QString &display)
{
    const QString name = AppId + u'.' + kind + u'_' + label;
    if (name.size() <= MaxBusNameLength)
        return name;
    // A display name too long to spell out is told apart by its digest instead.
    const QByteArray digest =
        QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha256).toHex();
    return AppId + u'.' + kind + QStringLiteral("_h") + QString::fromLatin1(digest);
}

// ASCII digits only: other scripts' digits are not allowed in a bus name.
bool isNumber(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// One X server is one display, whatever screen of it is named and however the local host is
// written: ":0", ":0.1" and "unix:0" all become "x11_0"; "host:10.0" becomes "x11_host_10".
// Parsed by hand: a regular expression would cost start-up more memory than all the rest.
QString x11Name(const QString &display)
{
    const qsizetype colon = display.lastIndexOf(u':');
    QStringView number = colon < 0 ? QStringView() : QStringView(display).mid(colon + 1);
    const qsizetype dot = number.indexOf(u'.');
    if (dot >= 0 && isNumber(number.mid(dot + 1)))
        number = number.left(dot);
    if (!isNumber(number))
        return withLabel(QStringLiteral("x11other"), escapeForBusName(display), display);
    const QString host = display.left(colon);
    const bool local = host.isEmpty() || host == QLatin1String("unix");
    const QString label =
        local ? number.toString() : escapeForBusName(host) + u'_' + number.toString();
    return withLabel(QStringLiteral("x11"), label, display);
}

} // namespace

QString x11DisplayName(int argc, const char *const *argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray option(argv[i]);
        if (option == "-display" || option == "--display")
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return qEnvironmentVariable("DISPLAY");
}

QString instanceBusName(const QString &platformName, const QString &x11Display,
                        const QString &waylandDisplay)
{
    if (platformName == QLatin1String("xcb") && !x11Display.isEmpty())
        return x11Name(x11Display);
    if (platformName.startsWith(QLatin1String("wayland"))) {
        // Without $WAYLAND_DISPLAY, clients connect to the compositor's default socket.
        const QString display =
            waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : waylandDisplay;
        return withLabel(QStringLiteral("wayland"), escapeForBusName(display), display);
    }
    return {};
}
