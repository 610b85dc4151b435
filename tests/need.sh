# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Sourced by the tests that need more than the build, with their mode in
# mode: AUTO skips (exit 77) where the test cannot run here, ON fails.

cannot() {
	echo "${0##*/}: cannot run here: $*"
	[ "$mode" = AUTO ] && exit 77
	exit 1
}

# need COMMAND:PACKAGE...
need() {
	for need do
		command -v "${need%:*}" >/dev/null || cannot "no ${need%:*} (Debian package ${need#*:})"
	done
}
