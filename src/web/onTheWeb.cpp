// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/onTheWeb.h"

#include "platform/Shell.h"

namespace {
constexpr std::array<WebLink, WebLinkCount> Links{{
    {"&Tavlo Homepage", "/marlov/SOFTWARE/sftTavlo.html"},
    {"&Frequently Asked Questions", "/marlov/SOFTWARE/sftTavlo-FAQ.html"},
    {"&Known Bugs", "/marlov/SOFTWARE/sftTavlo-Bugs.html"},
    {"Online &Support", "/marlov/SOFTWARE/support.html"},
    {"-", nullptr},
    {"&Other Free Stuff", "/marlov/SOFTWARE/index.html"},
    {"Send Feed&back", "/marlov/SOFTWARE/feedback.html"},
    {"Bug &Report", "/marlov/SOFTWARE/bugreport.html"},
    {"-", nullptr},
    {"Marlov Venstad's &Home Page", "/marlov/index.html"},
}};
} // namespace

const std::array<WebLink, WebLinkCount> &webLinks()
{
    return Links;
}

std::optional<QString> webAddress(int index, const QString &base)
{
    if (index < 0 || index >= WebLinkCount || Links[index].path == nullptr)
        return std::nullopt;
    QString address = base;
    while (address.endsWith(u'/'))
        address.chop(1);
    return address + QLatin1String(Links[index].path);
}

void openWebPage(Shell &shell, const QString &address)
{
    shell.openAddress(address);
}
