// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;

// Hands a web address to the desktop's default handler without waiting for it or reading a result.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openAddress(const QString &address) = 0;
};
