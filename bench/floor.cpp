// SPDX-FileCopyrightText: 2026 The verservice authors
// SPDX-License-Identifier: MIT

// The bench's floor: a program that does nothing, built as the tool is.
int main()
{
	return 0;
}
