#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Stands in for the desktop's opener: appends its arguments, as one line, to the file named by
# TAVLO_XDG_OPEN_LOG, and succeeds without opening anything.
printf '%s\n' "$*" >>"${TAVLO_XDG_OPEN_LOG:?}"
exit 0
